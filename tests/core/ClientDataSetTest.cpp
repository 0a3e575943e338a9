#include "ClientDataSet.h"
#include "CoreTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace pagora::test {
namespace {

class TableTest : public ::testing::Test {
protected:
    Environment e;
    TClientDataSet cds{e.env};

    TFieldDef& Def(const std::string& name, TFieldType type, int size = -1) {
        TFieldDef& def = cds.NewFieldDef();
        def.SetName(name);
        def.SetDataType(type);
        if (size >= 0)
            def.SetSize(size);
        return def;
    }

    // The import's columns: a text, an integer, a float and a date.
    void CreateFour() {
        Def("Name", TFieldType::ftString, 255);
        Def("Qty", TFieldType::ftInteger);
        Def("Price", TFieldType::ftFloat);
        Def("When", TFieldType::ftDateTime);
        cds.CreateTable();
        cds.SetChangeLogEnabled(false);
    }

    void AddRow(const std::vector<std::string>& texts) {
        cds.AddRecord();
        for (std::size_t i = 0; i < texts.size(); ++i)
            cds.FieldAt(static_cast<int>(i)).SetValueText(texts[i]);
        cds.MoveToNext();
    }

    std::vector<std::vector<std::string>> Walk() {
        std::vector<std::vector<std::string>> rows;
        for (cds.MoveToFirst(); !cds.AtEnd(); cds.MoveToNext()) {
            rows.emplace_back();
            for (int i = 0; i < cds.NumFields(); ++i)
                rows.back().push_back(cds.FieldAt(i).ValueText());
        }
        return rows;
    }
};

TEST_F(TableTest, CreateTableFailuresInOrder) {
    EXPECT_EQ(FailureOf([&] { cds.CreateTable(); }),
              (Failure{"EDatabaseError", "No fields defined.  Cannot create dataset"}));
    EXPECT_FALSE(cds.Active());

    Def(std::string(31, 'a'), TFieldType::ftInteger);
    Def("", TFieldType::ftInteger);
    Def(std::string(32, 'b'), TFieldType::ftInteger);
    // The length of every name is examined before an empty one is refused.
    EXPECT_EQ(FailureOf([&] { cds.CreateTable(); }),
              (Failure{"EDSWriter", "Fieldname " + std::string(32, 'b') + " exceeds 31 chars"}));
    EXPECT_FALSE(cds.Active());
    EXPECT_EQ(cds.FieldDefs().Count(), 3u);

    cds.FieldDefs()[2].SetName("short");
    EXPECT_EQ(FailureOf([&] { cds.CreateTable(); }),
              (Failure{"EDatabaseError", "cds: Field name missing"}));
    EXPECT_FALSE(cds.Active());
    EXPECT_EQ(cds.NumFields(), 0);

    cds.FieldDefs()[1].SetName("x");
    cds.CreateTable();
    EXPECT_TRUE(cds.Active());
    EXPECT_EQ(cds.NumFields(), 3);
    EXPECT_EQ(cds.FieldAt(0).FieldName(), std::string(31, 'a'));
    EXPECT_EQ(FailureOf([&] { cds.CreateTable(); }),
              (Failure{"EDatabaseError", "cds: Cannot perform this operation on an open dataset"}));
    EXPECT_EQ(cds.NumFields(), 3);
}

TEST_F(TableTest, DefinitionsThatCannotBeBuiltLeaveTheTableClosed) {
    cds.NewFieldDef().SetName("NoType");
    EXPECT_EQ(FailureOf([&] { cds.CreateTable(); }),
              (Failure{"EDatabaseError", "Field 'NoType' is of an unknown type"}));
    cds.ClearFieldDefs();
    Def("Empty", TFieldType::ftString, 0);
    EXPECT_EQ(FailureOf([&] { cds.CreateTable(); }),
              (Failure{"EDatabaseError", "Invalid field size"}));
    EXPECT_FALSE(cds.Active());
}

TEST_F(TableTest, NamingIsCaseBlindAndLocaleAware) {
    Def("Qty", TFieldType::ftInteger);
    TFieldDef& second = Def("Price", TFieldType::ftFloat);
    EXPECT_EQ(FailureOf([&] { second.SetName("QTY"); }),
              (Failure{"EDatabaseError", "A component named QTY already exists"}));
    EXPECT_EQ(second.Name(), "Price");
    second.SetName("PRICE"); // its own name in another case
    EXPECT_EQ(second.Name(), "PRICE");

    Def("\xC8tude", TFieldType::ftString); // capital E grave
    EXPECT_EQ(FailureOf([&] { Def("\xE8TUDE", TFieldType::ftString); }).className,
              "EDatabaseError");
    // Empty names are never compared, and blanks are kept as given.
    Def("", TFieldType::ftString);
    Def("", TFieldType::ftString);
    Def(" a b ", TFieldType::ftString);
    EXPECT_EQ(cds.FieldDefs()[cds.FieldDefs().Count() - 1].Name(), " a b ");
}

TEST_F(TableTest, TypeResetsSize) {
    TFieldDef& def = cds.NewFieldDef();
    def.SetSize(255);
    def.SetDataType(TFieldType::ftString);
    EXPECT_EQ(def.Size(), 20);
    def.SetSize(255);
    def.SetDataType(TFieldType::ftInteger);
    EXPECT_EQ(def.Size(), 0);
}

TEST_F(TableTest, ClosedTableRefusesMovesAndRecords) {
    const Failure closed{"EDatabaseError",
                         "cds: Cannot perform this operation on a closed dataset"};
    EXPECT_EQ(FailureOf([&] { cds.MoveToFirst(); }), closed);
    EXPECT_EQ(FailureOf([&] { cds.MoveToNext(); }), closed);
    EXPECT_EQ(FailureOf([&] { cds.AddRecord(); }), closed);
    EXPECT_EQ(FailureOf([&] { cds.SetChangeLogEnabled(false); }), closed);
    cds.CloseTable(); // nothing to do
    EXPECT_EQ(cds.NumFields(), 0);
    EXPECT_EQ(cds.RecordCount(), 0u);
}

TEST_F(TableTest, CloseDropsRecordsAndFieldsButKeepsDefinitions) {
    CreateFour();
    AddRow({"a", "1"});
    cds.CloseTable();
    EXPECT_FALSE(cds.Active());
    EXPECT_EQ(cds.NumFields(), 0);
    EXPECT_EQ(cds.RecordCount(), 0u);
    EXPECT_EQ(cds.FieldDefs().Count(), 4u);
    cds.CreateTable();
    EXPECT_EQ(cds.RecordCount(), 0u);
}

TEST_F(TableTest, RecordsAreSettledByTheNextMove) {
    CreateFour();
    cds.AddRecord();
    cds.MoveToNext(); // nothing set: discarded
    EXPECT_EQ(cds.RecordCount(), 0u);
    EXPECT_TRUE(cds.AtEnd());

    cds.AddRecord();
    cds.FieldAt(1).SetValueText(""); // an empty text counts as a setting
    cds.MoveToNext();
    EXPECT_EQ(cds.RecordCount(), 1u);
    EXPECT_TRUE(cds.AtEnd());
    AddRow({"b", "2", "2.5", "31/12/2026 10:30"});
    cds.AddRecord();
    cds.MoveToFirst(); // discards again
    EXPECT_EQ(cds.RecordCount(), 2u);

    using Rows = std::vector<std::vector<std::string>>;
    EXPECT_EQ(Walk(), (Rows{{"", "", "", ""}, {"b", "2", "2.5", "31/12/2026 10:30:00"}}));
    EXPECT_TRUE(cds.AtEnd());
    EXPECT_EQ(cds.CurrentIndex(), 1u);
    EXPECT_FALSE(cds.FieldAt(0).IsNull());
}

struct MoveToCase {
    const char* what;
    std::function<void(TClientDataSet&)> before;
    std::size_t target;
    std::string name; // the current record's first field afterwards
    bool atEnd;
    std::size_t records;
};

TEST_F(TableTest, MoveToMakesTheRecordCurrent) {
    const MoveToCase cases[] = {
        {"a record in the middle", [](TClientDataSet&) {}, 1, "b", false, 3},
        {"the last record", [](TClientDataSet&) {}, 2, "c", false, 3},
        {"from past the end", [](TClientDataSet& t) { t.MoveToNext(); }, 0, "a", false, 3},
        {"one past the last: ignored", [](TClientDataSet& t) { t.MoveToFirst(); }, 3, "a", false,
         3},
        {"far past the end: ignored", [](TClientDataSet& t) { t.MoveToNext(); },
         static_cast<std::size_t>(-1), "c", true, 3},
        {"an empty pending record is dropped", [](TClientDataSet& t) { t.AddRecord(); }, 0, "a",
         false, 3},
        {"the dropped pending record cannot be reached", [](TClientDataSet& t) { t.AddRecord(); },
         3, "c", false, 3},
        {"a set pending record is posted",
         [](TClientDataSet& t) {
             t.AddRecord();
             t.FieldAt(0).SetValueText("d");
         },
         3, "d", false, 4},
    };
    CreateFour();
    for (const char* name : {"a", "b", "c"})
        AddRow({name});
    for (const MoveToCase& c : cases) {
        SCOPED_TRACE(c.what);
        cds.MoveToFirst();
        for (std::size_t i = 0; i < 2; ++i)
            cds.MoveToNext(); // on "c", the last of the three
        c.before(cds);
        cds.MoveTo(c.target);
        EXPECT_EQ(cds.CurrentState(), TClientDataSet::State::Browse);
        EXPECT_EQ(cds.FieldAt(0).ValueText(), c.name);
        EXPECT_EQ(cds.AtEnd(), c.atEnd);
        EXPECT_EQ(cds.RecordCount(), c.records);
    }
}

TEST_F(TableTest, MoveToOnAClosedOrEmptyTable) {
    EXPECT_EQ(
        FailureOf([&] { cds.MoveTo(0); }),
        (Failure{"EDatabaseError", "cds: Cannot perform this operation on a closed dataset"}));
    CreateFour();
    cds.MoveTo(0);
    EXPECT_TRUE(cds.AtEnd());
    EXPECT_EQ(cds.FieldAt(0).ValueText(), "");
}

TEST_F(TableTest, EmptyTableWalkVisitsNothing) {
    CreateFour();
    cds.MoveToFirst();
    EXPECT_TRUE(cds.AtEnd());
    EXPECT_EQ(cds.FieldAt(0).ValueText(), "");
    EXPECT_TRUE(Walk().empty());
}

TEST_F(TableTest, FieldsAreSetOnlyOnThePendingRecord) {
    CreateFour();
    AddRow({"a"});
    EXPECT_EQ(FailureOf([&] { cds.FieldAt(0).SetValueText("x"); }),
              (Failure{"EDatabaseError", "cds: Dataset not in edit or insert mode"}));
    EXPECT_EQ(cds.FieldAt(0).ValueText(), "a");
}

TEST_F(TableTest, ReadOnlyRefusesAdding) {
    CreateFour();
    AddRow({"a"});
    cds.SetReadOnly(true);
    EXPECT_EQ(FailureOf([&] { cds.AddRecord(); }),
              (Failure{"EDatabaseError", "cds: Cannot modify a read-only dataset"}));
    EXPECT_EQ(cds.RecordCount(), 1u);
    EXPECT_EQ(cds.CurrentState(), TClientDataSet::State::Browse);
}

TEST_F(TableTest, RecordLeftPendingByAFailedFill) {
    CreateFour();
    cds.AddRecord();
    cds.FieldAt(0).SetValueText("kept");
    EXPECT_EQ(FailureOf([&] { cds.FieldAt(1).SetValueText("x"); }).className, "EDatabaseError");
    cds.SetReadOnly(true);
    EXPECT_EQ(cds.RecordCount(), 1u); // the grid shows it
    cds.MoveToFirst();
    EXPECT_EQ(cds.RecordCount(), 1u);
    EXPECT_EQ(cds.FieldAt(0).ValueText(), "kept");
    EXPECT_TRUE(cds.FieldAt(1).IsNull());
}

struct FieldCase {
    int position; // 0 text, 1 integer, 2 float, 3 date-time
    std::string text;
    std::string readBack; // or the failure's class when fails
    bool fails = false;
};

class FieldTextTest : public TableTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(FieldTextTest, SetThenRead) {
    const FieldCase& c = GetParam();
    CreateFour();
    cds.AddRecord();
    cds.FieldAt(c.position).SetValueText("1");
    std::string before = cds.FieldAt(c.position).ValueText();
    Failure f = FailureOf([&] { cds.FieldAt(c.position).SetValueText(c.text); });
    if (c.fails) {
        EXPECT_EQ(f.className, c.readBack);
        EXPECT_EQ(cds.FieldAt(c.position).ValueText(), before);
    } else {
        EXPECT_EQ(f, Failure{});
        EXPECT_EQ(cds.FieldAt(c.position).ValueText(), c.readBack);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldTextTest,
    ::testing::Values(FieldCase{0, std::string(300, 'x'), std::string(255, 'x')},
                      FieldCase{0, std::string("ab\0cd", 5), "ab"}, FieldCase{0, "", ""},
                      FieldCase{0, " keep blanks ", " keep blanks "}, FieldCase{1, " 42", "42"},
                      FieldCase{1, "", ""}, FieldCase{1, "42 ", "EDatabaseError", true},
                      FieldCase{1, "$FF", "255"}, FieldCase{1, "-2147483648", "-2147483648"},
                      FieldCase{2, " -1.5e3 ", "-1500"},
                      FieldCase{2, "1,5", "EDatabaseError", true}, FieldCase{2, "", ""},
                      FieldCase{3, "31/12/26 8:05", "31/12/2026 08:05:00"}, FieldCase{3, "", ""},
                      FieldCase{3, "word", "EConvertError", true}));

TEST_F(TableTest, TextsSetAgainReplaceTheirPredecessor) {
    CreateFour();
    AddRow({"first"});
    cds.AddRecord();
    for (const char* text : {"a longer text", "short", "", "longer than all before"}) {
        cds.FieldAt(0).SetValueText(text);
        EXPECT_EQ(cds.FieldAt(0).ValueText(), text);
    }
    cds.MoveToNext();
    EXPECT_EQ(cds.CellText(0, 0), "first");
    EXPECT_EQ(cds.CellText(1, 0), "longer than all before");
}

TEST_F(TableTest, FailureMessagesQuoteTextAndField) {
    CreateFour();
    cds.AddRecord();
    EXPECT_EQ(FailureOf([&] { cds.FieldAt(1).SetValueText("1.0"); }),
              (Failure{"EDatabaseError", "'1.0' is not a valid integer value for field 'Qty'"}));
    EXPECT_EQ(
        FailureOf([&] { cds.FieldAt(2).SetValueText("1,5"); }),
        (Failure{"EDatabaseError", "'1,5' is not a valid floating point value for field 'Price'"}));
    EXPECT_EQ(FailureOf([&] { cds.FieldAt(2).SetValueText("1E400"); }).className, "EDatabaseError");
    EXPECT_EQ(FailureOf([&] { cds.FieldAt(3).SetValueText("31/02/2026"); }),
              (Failure{"EConvertError", "'31/02/2026' is not a valid date and time"}));
    // A failed setting alone does not mark the record.
    cds.MoveToNext();
    EXPECT_EQ(cds.RecordCount(), 0u);
}

TEST_F(TableTest, MovedFieldsFollowTheGridOrder) {
    CreateFour();
    AddRow({"a", "1", "2", "31/12/2026"});
    cds.MoveField(0, 3); // Qty Price When Name
    cds.MoveField(2, 0); // When Qty Price Name
    std::vector<std::string> names, cells;
    for (int i = 0; i < cds.NumFields(); ++i) {
        names.push_back(cds.FieldAt(i).FieldName());
        cells.push_back(cds.CellText(0, i));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"When", "Qty", "Price", "Name"}));
    EXPECT_EQ(cells, (std::vector<std::string>{"31/12/2026", "1", "2", "a"}));
    EXPECT_EQ(cds.FieldDefs()[0].Name(), "Name");
    EXPECT_EQ(cds.CellText(5, 0), "");
    EXPECT_EQ(FailureOf([&] { cds.FieldAt(4); }),
              (Failure{"EDatabaseError", "cds: Field index out of range"}));
}

TEST_F(TableTest, ValuesFollowTheSettingsLive) {
    CreateFour();
    AddRow({"", "", "2.5", "31/12/2026"});
    e.settings.DecimalSeparator = ',';
    e.settings.ShortDateFormat = "yyyy-mm-dd";
    e.settings.DateSeparator = '-';
    EXPECT_EQ(cds.CellText(0, 2), "2,5");
    EXPECT_EQ(cds.CellText(0, 3), "2026-12-31");
}

// ---------------------------------------------------------------- observer

class ObserverTest : public TableTest {
protected:
    RecordingObserver grid;
    void SetUp() override { cds.SetObserver(&grid); }
    std::vector<std::string> Take() { return std::exchange(grid.calls, {}); }
};

using Calls = std::vector<std::string>;

TEST_F(ObserverTest, ImportTellsTheGridOnceAtTheEnd) {
    cds.CloseTable();
    cds.ClearFieldDefs();
    cds.SuspendControls();
    CreateFour();
    for (int i = 0; i < 3; ++i)
        AddRow({"x", std::to_string(i)});
    cds.SetReadOnly(true);
    EXPECT_EQ(Take(), Calls{});
    cds.ResumeControls();
    EXPECT_EQ(Take(), (Calls{"state"}));

    cds.SuspendControls();
    Walk();
    cds.ResumeControls();
    EXPECT_EQ(Take(), (Calls{"data"}));
    EXPECT_EQ(cds.CurrentIndex(), 2u); // the grid shows the last record
}

TEST_F(ObserverTest, MoveToTellsTheRecordOnlyWhenItMoves) {
    CreateFour();
    AddRow({"a"});
    AddRow({"b"});
    Take();
    cds.MoveTo(0);
    EXPECT_EQ(Take(), Calls{"record"});
    cds.MoveTo(2);
    EXPECT_EQ(Take(), Calls{});
    cds.SuspendControls();
    cds.MoveTo(1);
    EXPECT_EQ(Take(), Calls{});
    cds.ResumeControls();
    EXPECT_EQ(Take(), Calls{"data"});
    EXPECT_EQ(cds.FieldAt(0).ValueText(), "b");
}

TEST_F(ObserverTest, ResumesNest) {
    CreateFour();
    Take();
    cds.SuspendControls();
    cds.SuspendControls();
    AddRow({"a"});
    cds.ResumeControls();
    EXPECT_EQ(cds.SuspendCount(), 1);
    EXPECT_EQ(Take(), Calls{});
    cds.ResumeControls();
    EXPECT_EQ(Take(), (Calls{"data"}));
    cds.ResumeControls(); // at 0: nothing
    EXPECT_EQ(cds.SuspendCount(), 0);
    EXPECT_EQ(Take(), Calls{});
}

TEST_F(ObserverTest, StateChangesWhileSuspended) {
    CreateFour();
    Take();
    cds.SuspendControls();
    cds.AddRecord();
    cds.ResumeControls(); // open -> pending: both
    EXPECT_EQ(Take(), (Calls{"state", "data"}));

    cds.SuspendControls();
    cds.CloseTable();
    cds.ResumeControls(); // open -> closed: no redraw of a closed table
    EXPECT_EQ(Take(), (Calls{"state"}));

    cds.SuspendControls();
    cds.ResumeControls(); // closed -> closed
    EXPECT_EQ(Take(), Calls{});

    cds.CreateTable();
    Take();
    cds.SuspendControls();
    cds.CloseTable();
    cds.CreateTable(); // same state, other store: still taken up anew
    cds.ResumeControls();
    EXPECT_EQ(Take(), (Calls{"state", "data"}));
}

TEST_F(ObserverTest, UnsuspendedChangesAreToldAsTheyHappen) {
    CreateFour();
    EXPECT_EQ(Take(), (Calls{"state"}));
    cds.AddRecord();
    cds.FieldAt(0).SetValueText("a");
    cds.MoveToNext();
    EXPECT_EQ(Take(), (Calls{"data", "record", "record", "record"}));
    cds.AddRecord();
    cds.MoveToFirst();
    EXPECT_EQ(Take(), (Calls{"data", "data", "record"}));
    cds.CloseTable();
    EXPECT_EQ(Take(), (Calls{"state"}));
}

// ------------------------------------------------------------------ memory

TEST_F(TableTest, StorageStaysCompact) {
    for (int c = 0; c < 20; ++c)
        Def("c" + std::to_string(c), c % 2 ? TFieldType::ftInteger : TFieldType::ftString, 255);
    cds.CreateTable();
    cds.SuspendControls();
    const int rows = 20000;
    std::size_t textBytes = 0;
    for (int r = 0; r < rows; ++r) {
        cds.AddRecord();
        for (int c = 0; c < 20; ++c) {
            std::string text = std::to_string(r * 20 + c);
            textBytes += text.size();
            cds.FieldAt(c).SetValueText(text);
        }
    }
    cds.MoveToNext();
    cds.ResumeControls();
    ASSERT_EQ(cds.RecordCount(), static_cast<std::size_t>(rows));
    EXPECT_LE(cds.MemoryBytes(), 2 * textBytes + 16u * rows * 20);
    EXPECT_EQ(cds.CellText(12345, 7), std::to_string(12345 * 20 + 7));
}

TEST(DisplayWidthTest, ByType) {
    EXPECT_EQ(DisplayWidth(TFieldType::ftString, 255), 255);
    EXPECT_EQ(DisplayWidth(TFieldType::ftInteger, 0), 10);
    EXPECT_EQ(DisplayWidth(TFieldType::ftFloat, 0), 10);
    EXPECT_EQ(DisplayWidth(TFieldType::ftDateTime, 0), 18);
}

} // namespace
} // namespace pagora::test
