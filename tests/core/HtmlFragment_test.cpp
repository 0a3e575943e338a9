#include "HtmlFragment.h"

#include "Exceptions.h"

#include <gtest/gtest.h>

#include <optional>
#include <strings.h>

namespace pagora {
namespace {

using Row = std::vector<std::optional<std::string>>; // nullopt: no value (integer fields only)

const std::string kOpen = R"(<tr><td class="row1" width="100%"><span class="gen"><table>)";
const std::string kStamp = R"(<br/><div class="value">07/12/2026 15:40</div>)";
const std::string kClose = "</span></td></tr>";

std::string Cell(const std::string& text) {
    return "<td><span class=\"gen\">" + text + "</span></td>";
}
std::string Header(const std::string& name) {
    return "<th class=\"header\">" + name + "</th>";
}

class HtmlFragment : public testing::Test {
protected:
    void Load(const std::vector<std::string>& names, const std::vector<Row>& rows,
              TFieldType type = TFieldType::ftString) {
        for (const std::string& name : names) {
            TFieldDef& def = table.NewFieldDef();
            def.SetName(name);
            def.SetDataType(type);
        }
        table.CreateTable();
        for (const Row& row : rows) {
            table.AddRecord();
            for (std::size_t i = 0; i < row.size(); ++i) // "" makes a number field null
                table.FieldAt(static_cast<int>(i)).SetValueText(row[i].value_or(""));
        }
        table.MoveToFirst();
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> result;
        for (std::size_t i = 0; i < lines.Count(); ++i)
            result.push_back(lines[i]);
        return result;
    }
    void Build() { BuildHtml(table, lines, clock, settings); }

    FormatSettings settings;
    FixedClock clock{LocalTime{2026, 12, 7, 15, 40, 59, 999}};
    TableEnvironment env{&settings, &clock, [](std::string_view a, std::string_view b) {
                             return a.size() == b.size() &&
                                    strncasecmp(a.data(), b.data(), a.size()) == 0;
                         }};
    TClientDataSet table{env};
    TStringList lines;
};

TEST_F(HtmlFragment, GivesTheEntriesInOrderWithNothingEscaped) {
    struct Case {
        const char* what;
        std::vector<std::string> names;
        std::vector<Row> rows;
        std::vector<std::string> body; // between the headers and </table>
        TFieldType type = TFieldType::ftString;
    };
    const Case cases[] = {
        {"no records", {"A", "B"}, {}, {}},
        {"nulls",
         {"A", "B"},
         {{std::nullopt, "-7"}, {std::nullopt, std::nullopt}},
         {"<tr>" + Cell("") + Cell("-7") + "</tr>", "<tr>" + Cell("") + Cell("") + "</tr>"},
         TFieldType::ftInteger},
        {"markup",
         {"<b>&\"n\"", "B"},
         {{"<i>", "a & \"b\" 'c'"}},
         {"<tr>" + Cell("<i>") + Cell("a & \"b\" 'c'") + "</tr>"}},
        {"line breaks and equal records",
         {"A"},
         {{"one\ntwo\r\nthree"}, {"same"}, {"same"}},
         {"<tr>" + Cell("one\ntwo\r\nthree") + "</tr>", "<tr>" + Cell("same") + "</tr>",
          "<tr>" + Cell("same") + "</tr>"}},
        {"bytes above 0x7F", {"\xe0"}, {{"\xe8\xa9"}}, {"<tr>" + Cell("\xe8\xa9") + "</tr>"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        table.CloseTable();
        table.ClearFieldDefs();
        Load(c.names, c.rows, c.type);
        Build();
        std::vector<std::string> expected{kOpen};
        for (const std::string& name : c.names)
            expected.push_back(Header(name));
        expected.insert(expected.end(), c.body.begin(), c.body.end());
        expected.insert(expected.end(), {"</table>", kStamp, kClose});
        EXPECT_EQ(Lines(), expected);
        EXPECT_EQ(lines.Count(), c.names.size() + c.rows.size() + 4);
        EXPECT_EQ(table.SuspendCount(), 0);
    }
}

TEST_F(HtmlFragment, FollowsTheFieldOrderShownInTheGrid) {
    Load({"A", "B", "C"}, {{"1", "2", "3"}});
    table.MoveField(2, 0);
    Build();
    EXPECT_EQ(lines[1], Header("C"));
    EXPECT_EQ(lines[3], Header("B"));
    EXPECT_EQ(lines[4], "<tr>" + Cell("3") + Cell("1") + Cell("2") + "</tr>");
}

TEST_F(HtmlFragment, LeavesTheTableOnItsLastRecord) {
    Load({"A"}, {{"1"}, {"2"}, {"3"}});
    Build();
    EXPECT_TRUE(table.AtEnd());
    EXPECT_EQ(table.FieldAt(0).ValueText(), "3");
}

TEST_F(HtmlFragment, SecondBuildReplacesTheFirst) {
    Load({"A"}, {{"1"}, {"2"}});
    Build();
    const std::vector<std::string> first = Lines();
    clock.Set(LocalTime{2027, 1, 2, 3, 4});
    Build();
    std::vector<std::string> second = Lines();
    ASSERT_EQ(second.size(), first.size());
    EXPECT_EQ(second[second.size() - 2], R"(<br/><div class="value">02/01/2027 03:04</div>)");
    second[second.size() - 2] = first[first.size() - 2];
    EXPECT_EQ(second, first);
}

// The time stamp belongs to the end of the build, after every record line.
TEST_F(HtmlFragment, TakesTheTimeStampAfterTheWalk) {
    Load({"A"}, {{"1"}, {"2"}});
    struct WatchingClock : Clock {
        const TStringList& lines;
        mutable std::size_t linesAtStamp = 0;
        explicit WatchingClock(const TStringList& l) : lines(l) {}
        LocalTime Now() const override {
            linesAtStamp = lines.Count();
            return {};
        }
    } watching(lines);
    BuildHtml(table, lines, watching, settings);
    EXPECT_EQ(watching.linesAtStamp, 1u + 1u + 2u + 1u);
}

TEST(DateTimeLine, PadsAndUsesTheUsersSeparators) {
    struct Case {
        LocalTime at;
        char date, time;
        const char* expected;
    };
    const Case cases[] = {
        {{2026, 1, 2, 0, 5, 59, 999}, '/', ':', "02/01/2026 00:05"},
        {{2026, 1, 2, 13, 5}, '/', ':', "02/01/2026 13:05"},
        {{2026, 12, 31, 23, 59}, '.', '.', "31.12.2026 23.59"},
        {{2026, 3, 4, 5, 6}, '-', '\0', "04-03-2026 0506"},
        {{987, 3, 4, 5, 6}, '\0', ':', "04030987 05:06"},
    };
    for (const Case& c : cases) {
        FormatSettings settings;
        settings.DateSeparator = c.date;
        settings.TimeSeparator = c.time;
        EXPECT_EQ(DateTimeLine(c.at, settings),
                  std::string(R"(<br/><div class="value">)") + c.expected + "</div>");
    }
}

TEST_F(HtmlFragment, FailedWalkResumesControlsAndKeepsCompleteLines) {
    Load({"A"}, {{"1"}, {"2"}, {"3"}});
    int calls = 0;
    const auto failOnThird = [&] {
        if (++calls == 3)
            throw EDatabaseError("cds: broken");
        AddRecordRow(table, lines);
    };
    EXPECT_THROW(ForEachRecord(table, failOnThird), EDatabaseError);
    EXPECT_EQ(table.SuspendCount(), 0);
    ASSERT_EQ(lines.Count(), 2u);
    EXPECT_EQ(lines[1], "<tr>" + Cell("2") + "</tr>");
    EXPECT_EQ(table.FieldAt(0).ValueText(), "3"); // left where the walk stopped
}

TEST_F(HtmlFragment, WalkOfAnEmptyTableRunsNothing) {
    Load({"A"}, {});
    int calls = 0;
    ForEachRecord(table, [&] { ++calls; });
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(table.SuspendCount(), 0);
}

} // namespace
} // namespace pagora
