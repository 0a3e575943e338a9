// The import as a user meets it: the real program beside the stand-in
// spreadsheet application, driven through its menu.
#include "Driver.h"
#include "StandIn.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pagora::e2e {
namespace {

constexpr char kImport[] = " Importa da Excel ";
constexpr char kDone[] = "Importazione da Excel eseguita.";
constexpr char kBusy[] = "Importazione da Excel in corso...";
constexpr char kFailed[] = "Importazione da Excel fallita. ";

const std::string kThreeByTwo = "Str:Articolo\tStr:Pezzi\n"
                                "Str:Mela\tI4:3\n"
                                "Str:Pera\tI4:12\n";

// The log without the interface requests, which Wine makes once or twice
// depending on what it has cached.
std::vector<std::string> Calls(const StandIn& sheet) {
    std::vector<std::string> calls = sheet.Log();
    std::erase(calls, "QueryInterface _Application");
    return calls;
}

std::vector<std::string> Cells(Driver& app) {
    std::vector<std::string> cells;
    for (const auto& row : app.Grid().rows)
        cells.insert(cells.end(), row.begin(), row.end());
    return cells;
}

TEST(Import, ReadsTheRegionInOneValueCallAndShowsIt) {
    const struct {
        const char* program;
        const char* valueCall;
    } builds[] = {{"pagora.exe", "Value 10"}, {"pagora2000.exe", "Value (none)"}};
    for (const auto& build : builds) {
        SCOPED_TRACE(build.program);
        StandIn sheet(kThreeByTwo);
        auto app = Driver::Start(build.program);
        app.ClickMenu(kImport);
        EXPECT_EQ(app.WaitStatus(kDone), kDone);
        const std::vector<std::string> expected = {
            "put_Setting276 0", "put_Setting244 lcid=0x0410 0",
            "Range A1 A1",      "CurrentRegion",
            "Rows",             "Count 3",
            "Range A1 A1",      "CurrentRegion",
            "Columns",          "Count 2",
            "Range A1 A1",      "CurrentRegion",
            build.valueCall,    "put_Setting244 lcid=0x0410 -1",
            "put_Setting276 -1", "Release"};
        EXPECT_EQ(Calls(sheet), expected);
        EXPECT_EQ(app.Grid().columns, (std::vector<std::string>{"Articolo", "Pezzi"}));
        EXPECT_EQ(Cells(app), (std::vector<std::string>{"Mela", "3", "Pera", "12"}));
        EXPECT_EQ(app.Window().cursor, Cursor::Arrow);
    }
}

TEST(Import, WithoutTheApplicationReportsTheConnection) {
    auto app = Driver::Start("pagora.exe");
    { StandIn registersTheProgId(kThreeByTwo); }
    app.ClickMenu(kImport);
    EXPECT_EQ(app.WaitStatus([](const std::string& s) { return s != kBusy; }),
              std::string(kFailed) +
                  "EOleSysError: Unable to retrieve a pointer to a running object registered "
                  "with OLE for Excel.Application/{00024500-0000-0000-C000-000000000046}");

    // Without a ProgID the lookup's own failure is what the user reads.
    { StandIn forgetsTheProgId(kThreeByTwo, "--no-progid"); }
    app.ClickMenu(kImport);
    EXPECT_EQ(app.WaitStatus([](const std::string& s) { return s != kBusy; }),
              std::string(kFailed) + "EOleSysError: OLE error 80040154");
    { StandIn registersItAgain(kThreeByTwo); }
    EXPECT_EQ(app.Grid().itemCount, 0);
}

TEST(Import, FailingReadShowsTheBoxAndKeepsThePreviousTable) {
    auto app = Driver::Start("pagora.exe");
    {
        StandIn first(kThreeByTwo);
        app.ClickMenu(kImport);
        ASSERT_EQ(app.WaitStatus(kDone), kDone);
    }
    StandIn failing(kThreeByTwo, "--fail \"Value:0x800A03EC:Nessuna cartella aperta.  \"");
    app.ClickMenu(kImport);
    EXPECT_EQ(app.FindMessageBox().value_or("(no box)"), "Nessuna cartella aperta.");
    EXPECT_EQ(app.StatusText(), kBusy);
    EXPECT_TRUE(app.CloseMessageBox());
    const std::vector<std::string> calls = Calls(failing);
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()),
              (std::vector<std::string>{"put_Setting244 lcid=0x0410 -1", "put_Setting276 -1",
                                        "Release"}));
    EXPECT_EQ(Cells(app), (std::vector<std::string>{"Mela", "3", "Pera", "12"}));
    app.ClickMenu(" Copia negli appunti ");
    EXPECT_EQ(app.WaitStatus("Dati copiati negli appunti."), "Dati copiati negli appunti.");
}

TEST(Import, ApplicationKilledDuringTheReadIsReportedAndLetGo) {
    auto app = Driver::Start("pagora.exe");
    {
        StandIn dying(kThreeByTwo, "--hang Value");
        app.ClickMenu(kImport);
        ASSERT_TRUE(WaitUntil(
            [&] {
                const auto calls = dying.Log();
                return !calls.empty() && calls.back().ends_with("hangs");
            },
            10s));
        dying.Kill();
        EXPECT_TRUE(app.FindMessageBox().has_value());
        EXPECT_EQ(app.StatusText(), kBusy);
        EXPECT_TRUE(app.CloseMessageBox());
    }
    // A new instance of the application is found afresh.
    StandIn next(kThreeByTwo);
    app.ClickMenu(kImport);
    EXPECT_EQ(app.WaitStatus(kDone), kDone);
    EXPECT_EQ(Cells(app), (std::vector<std::string>{"Mela", "3", "Pera", "12"}));
}

TEST(Import, LoaderFailuresEndInTheFailureLine) {
    const struct {
        std::string sheet, reported;
    } cases[] = {
        {"Str:Qty\tStr:QTY\nI4:1\tI4:2\n",
         "EDatabaseError: A component named QTY already exists"},
        {"Str:solo\n", "EVariantInvalidArgError: Invalid argument"},
        {"Str:A\tStr:B\tStr:C\n", "EVariantBadIndexError: Variant or safe array index out of bounds"},
        {"Str:A\tStr:B\nI4:1\tError:2042\n",
         "EVariantTypeCastError: Could not convert variant of type (Error) into type (String)"},
        {kThreeByTwo + "Str:Uva\tStr:tante\n",
         "EDatabaseError: 'tante' is not a valid integer value for field 'Pezzi'"},
        {"Str:Data\nStr:31/12/2026\nStr:domani\n", "EConvertError: 'domani' is not a valid date and time"},
        {"Str:A\tStr:" + std::string(32, 'x') + "\nI4:1\tI4:2\n",
         "EDSWriter: Fieldname " + std::string(32, 'x') + " exceeds 31 chars"},
    };
    auto app = Driver::Start("pagora.exe");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reported);
        StandIn sheet(c.sheet);
        app.ClickMenu(kImport);
        EXPECT_EQ(app.WaitStatus([](const std::string& s) { return s != kBusy; }),
                  kFailed + c.reported);
        EXPECT_EQ(app.Window().cursor, Cursor::Arrow);
    }
}

TEST(Import, SecondImportReplacesTheFirst) {
    auto app = Driver::Start("pagora.exe");
    {
        StandIn first(kThreeByTwo);
        app.ClickMenu(kImport);
        ASSERT_EQ(app.WaitStatus(kDone), kDone);
    }
    StandIn second("Str:Città\tR8:1.5\tStr:Quando\n"
                   "Str:Roma\tR8:2.5\tDate:2026-12-31 10:30:00\n"
                   "Str:Milano\tEmpty\tDate:2026-12-31\n"
                   "Empty\tEmpty\tEmpty\n"
                   "Str:Bari\tR8:0.1\tEmpty\n");
    app.ClickMenu(kImport);
    ASSERT_EQ(app.WaitStatus(kDone), kDone);
    // Numbers in headers take the user's decimal separator; a row of empty
    // cells adds no record.
    // The sheet's text is UTF-8; the program's is the ANSI code page (1252).
    EXPECT_EQ(app.Grid().columns, (std::vector<std::string>{"Citt\xE0", "1,5", "Quando"}));
    EXPECT_EQ(Cells(app), (std::vector<std::string>{"Roma", "2,5", "31/12/2026 10:30:00", "Milano",
                                                    "", "31/12/2026", "Bari", "0,1", ""}));
}

} // namespace
} // namespace pagora::e2e
