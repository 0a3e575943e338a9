#include "FrameFakes.h"
#include "GridFill.h"
#include "GridPicture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

namespace pagora {
namespace {

using enum TFieldType;

class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Fixed settings, so the texts do not depend on the machine's locale.
        FormatSettings& fs = TfExpoTestAccess::MutableSettings(*w.form);
        fs = FormatSettings{};
        fs.DecimalSeparator = ',';
        fs.ShortDateFormat = "dd/mm/yyyy";
        fs.LongTimeFormat = "hh:mm:ss";
    }
    HWND Grid() const { return w.GridHandle(); }
    TClientDataSet& Table() const { return w.Table(); }
    int CurrentField() const { return TfExpoTestAccess::Grid(*w.form).CurrentField(); }

    WindowHarness w;
};

const Columns kColumns = {
    {"Nome", ftString}, {"Qty", ftInteger}, {"Prezzo", ftFloat}, {"Data", ftDateTime}};
const Rows kRows = {
    {"mela", "3", "2,5", "31/12/2026"},
    {"pera", "", "0,0001", "01/02/2026 10:30"},
    {"", "-7", "1E20", ""},
};

// Narrow enough for every column to be in view.
const Columns kNarrow = {{"A", ftInteger}, {"B", ftInteger}, {"C", ftInteger}};
const Rows kNumbers = {{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}};

TEST_F(GridTest, ShowsTheOpenTableColumnsRowsAndTexts) {
    FillTable(Table(), kColumns, kRows);

    EXPECT_EQ(ColumnTitles(Grid()), (std::vector<std::string>{"", "Nome", "Qty", "Prezzo", "Data"}))
        << "the indicator comes first, untitled";
    EXPECT_EQ(SendMessageA(Grid(), LVM_GETCOLUMNWIDTH, 0, 0), TDBGrid::kIndicatorWidth);
    ASSERT_EQ(RowCount(Grid()), 3);
    const Rows shown = {
        {"mela", "3", "2,5", "31/12/2026"},
        {"pera", "", "0,0001", "01/02/2026 10:30:00"},
        {"", "-7", "1E20", ""},
    };
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(CellOf(Grid(), r, 0), "") << "the indicator shows no text";
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(CellOf(Grid(), r, c + 1), shown[r][c]) << r << "," << c;
    }
    EXPECT_EQ(FocusedRow(Grid()), 2) << "the table's current record is the last one added";
}

TEST_F(GridTest, ClosedTableShowsNothing) {
    EXPECT_EQ(ColumnCount(Grid()), 0);
    EXPECT_EQ(RowCount(Grid()), 0);

    FillTable(Table(), kColumns, kRows);
    Table().CloseTable();
    EXPECT_EQ(ColumnCount(Grid()), 0) << "the indicator goes with the fields";
    EXPECT_EQ(RowCount(Grid()), 0);
    EXPECT_EQ(CurrentField(), -1);
}

TEST_F(GridTest, ColumnsStartAtTheDisplayWidthAndNeverNarrowerThanTheTitle) {
    const std::string longTitle = "Una colonna dal titolo lungo";
    FillTable(Table(), {{"N", ftInteger}, {longTitle, ftInteger}, {"D", ftDateTime}}, {});
    auto width = [&](int i) {
        return static_cast<int>(SendMessageA(Grid(), LVM_GETCOLUMNWIDTH, i, 0));
    };
    auto textWidth = [&](const std::string& text) {
        HWND header = reinterpret_cast<HWND>(SendMessageA(Grid(), LVM_GETHEADER, 0, 0));
        const WindowDC dc = BorrowDC(header);
        const Selection font =
            SelectInto(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(Grid(), WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    const int digit = textWidth("0123456789") / 10;
    EXPECT_GE(width(1), 10 * digit);
    EXPECT_LT(width(1), 18 * digit);
    EXPECT_GT(width(2), textWidth(longTitle));
    EXPECT_GE(width(3), 18 * digit) << "a date-time column is 18 digits wide";
}

TEST_F(GridTest, TellsNothingUntilTheOutermostResume) {
    FillTable(Table(), kColumns, {kRows[0]});
    ASSERT_EQ(RowCount(Grid()), 1);

    Table().SuspendControls();
    Table().SuspendControls();
    Table().SetReadOnly(false);
    AddRows(Table(), {kRows[1], kRows[2]});
    Table().ResumeControls();
    EXPECT_EQ(RowCount(Grid()), 1) << "an inner resume reaches nobody";
    EXPECT_EQ(FocusedRow(Grid()), 0);

    Table().ResumeControls();
    EXPECT_EQ(RowCount(Grid()), 3);
    EXPECT_EQ(CellOf(Grid(), 2, 2), "-7");
    EXPECT_EQ(FocusedRow(Grid()), 2);

    Table().ResumeControls(); // at zero: nothing changes
    EXPECT_EQ(RowCount(Grid()), 3);
}

TEST_F(GridTest, TableReplacedWhileSuspendedIsTakenUpAnew) {
    FillTable(Table(), kColumns, kRows);
    Table().SuspendControls();
    DefineAndCreate(Table(), {{"Solo", ftInteger}});
    AddRows(Table(), {{"1"}});
    EXPECT_EQ(ColumnCount(Grid()), 5);
    Table().ResumeControls();
    EXPECT_EQ(ColumnTitles(Grid()), (std::vector<std::string>{"", "Solo"}));
    EXPECT_EQ(RowCount(Grid()), 1);

    Table().SuspendControls();
    Table().CloseTable();
    Table().ResumeControls();
    EXPECT_EQ(ColumnCount(Grid()), 0);
    EXPECT_EQ(RowCount(Grid()), 0);
}

// Moves the focus and selection to a row as a click on it does.
void SelectRow(HWND grid, int row) {
    LVITEMA item{};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(grid, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

TEST_F(GridTest, TheRowTheUserMovesToBecomesTheCurrentRecord) {
    FillTable(Table(), kColumns, kRows);
    ASSERT_EQ(Table().FieldAt(0).ValueText(), "");

    SelectRow(Grid(), 0);
    EXPECT_EQ(Table().FieldAt(0).ValueText(), "mela");
    SendMessageA(Grid(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(FocusedRow(Grid()), 1);
    EXPECT_EQ(Table().FieldAt(0).ValueText(), "pera");
    EXPECT_FALSE(Table().AtEnd());
    SendMessageA(Grid(), WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(Table().CurrentIndex(), 2u);

    // The table moves and the grid follows, without moving the table again.
    Table().MoveToFirst();
    EXPECT_EQ(FocusedRow(Grid()), 0);
    EXPECT_EQ(Table().CurrentIndex(), 0u);
}

TEST_F(GridTest, SuspendedTableKeepsItsRecordWhenTheFocusMoves) {
    FillTable(Table(), kColumns, kRows);
    Table().MoveToFirst();
    Table().SuspendControls();
    SelectRow(Grid(), 2);
    EXPECT_EQ(Table().FieldAt(0).ValueText(), "mela");
    Table().ResumeControls();
    EXPECT_EQ(FocusedRow(Grid()), 0) << "the grid shows the table's record again";
    EXPECT_EQ(Table().FieldAt(0).ValueText(), "mela");
}

// Drags a column title with the mouse, as the user does, from the centre of
// one title to the left part of another.
void DragTitle(HWND grid, int from, int to) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(grid, LVM_GETHEADER, 0, 0));
    RECT a{}, b{};
    SendMessageA(header, HDM_GETITEMRECT, from, reinterpret_cast<LPARAM>(&a));
    SendMessageA(header, HDM_GETITEMRECT, to, reinterpret_cast<LPARAM>(&b));
    const int y = (a.top + a.bottom) / 2;
    const int x0 = (a.left + a.right) / 2, x1 = b.left + 4;
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y));
    for (int step = 1; step <= 10; ++step)
        SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x0 + (x1 - x0) * step / 10, y));
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(x1, y));
}

TEST_F(GridTest, DraggingATitleMovesTheTableField) {
    FillTable(Table(), {{"A", ftInteger}, {"B", ftInteger}, {"C", ftInteger}},
              {{"1", "2", "3"}, {"4", "5", "6"}});
    ASSERT_TRUE(SendMessageA(Grid(), LVM_SETCOLUMNWIDTH, 3, 90)); // as if the user widened C

    DragTitle(Grid(), 3, 1);

    ASSERT_EQ(Table().FieldAt(0).FieldName(), "C");
    EXPECT_EQ(Table().FieldAt(1).FieldName(), "A");
    EXPECT_EQ(Table().FieldAt(2).FieldName(), "B");
    EXPECT_EQ(ColumnTitles(Grid()), (std::vector<std::string>{"", "C", "A", "B"}));
    EXPECT_EQ(CellOf(Grid(), 1, 1), "6");
    EXPECT_EQ(CellOf(Grid(), 1, 3), "5");
    EXPECT_EQ(SendMessageA(Grid(), LVM_GETCOLUMNWIDTH, 1, 0), 90) << "the width moves along";
    int order[4] = {};
    SendMessageA(Grid(), LVM_GETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(order));
    EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{0, 1, 2, 3}))
        << "column i + 1 stays field i";
}

// Drags the right border of a title sideways, as the user widens a column.
void DragBorder(HWND grid, int column, int dx) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(grid, LVM_GETHEADER, 0, 0));
    RECT r{};
    SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
    const int y = (r.top + r.bottom) / 2, x = r.right + 2;
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y));
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(x + dx, y));
    SendMessageA(header, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

TEST_F(GridTest, IndicatorStaysFirstAndAsWideWhateverIsDragged) {
    FillTable(Table(), kNarrow, kNumbers);
    const std::vector<std::string> titles = {"", "A", "B", "C"};

    DragTitle(Grid(), 0, 2);
    EXPECT_EQ(ColumnTitles(Grid()), titles) << "the indicator cannot be dragged";
    DragTitle(Grid(), 3, 0);
    EXPECT_EQ(ColumnTitles(Grid()), titles) << "nothing goes in front of the indicator";
    EXPECT_EQ(Table().FieldAt(0).FieldName(), "A");
    EXPECT_EQ(Table().FieldAt(2).FieldName(), "C");

    DragBorder(Grid(), 0, 40);
    EXPECT_EQ(SendMessageA(Grid(), LVM_GETCOLUMNWIDTH, 0, 0), TDBGrid::kIndicatorWidth);
    const LRESULT before = SendMessageA(Grid(), LVM_GETCOLUMNWIDTH, 1, 0);
    DragBorder(Grid(), 1, 40);
    EXPECT_GT(SendMessageA(Grid(), LVM_GETCOLUMNWIDTH, 1, 0), before) << "fields stay sizeable";
}

using Marks = e2e::GridMarks;

Marks MarksOf(HWND grid) {
    return e2e::MarksOf(e2e::PictureOf(grid));
}

void Key(HWND grid, WPARAM key) {
    SendMessageA(grid, WM_KEYDOWN, key, 0);
    SendMessageA(grid, WM_KEYUP, key, 0);
}

// A key with Shift or Ctrl held, as the keyboard state the grid reads says.
void KeyWith(HWND grid, int held, WPARAM key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE before = keys[held];
    keys[held] = 0x80;
    SetKeyboardState(keys);
    Key(grid, key);
    keys[held] = before;
    SetKeyboardState(keys);
}

// A click in the middle of a cell of the rows in view.
void Click(HWND grid, int row, int column) {
    const std::optional<POINT> centre = e2e::CentreOf(e2e::PictureOf(grid), row, column);
    ASSERT_TRUE(centre) << "cell " << row << "," << column << " is not in view";
    const LPARAM at = MAKELPARAM(centre->x, centre->y);
    SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(grid, WM_LBUTTONUP, 0, at);
}

TEST_F(GridTest, KeysAndClicksMoveTheCurrentCellAlongTheRow) {
    FillTable(Table(), kNarrow, kNumbers);
    ASSERT_EQ(CurrentField(), 0);
    Key(Grid(), VK_LEFT);
    EXPECT_EQ(CurrentField(), 0) << "Left at the first field stays";
    Key(Grid(), VK_RIGHT);
    EXPECT_EQ(CurrentField(), 1);
    Key(Grid(), VK_TAB);
    EXPECT_EQ(CurrentField(), 2);
    Key(Grid(), VK_TAB);
    Key(Grid(), VK_RIGHT);
    EXPECT_EQ(CurrentField(), 2) << "nor do Tab and Right leave the last";
    KeyWith(Grid(), VK_SHIFT, VK_TAB);
    EXPECT_EQ(CurrentField(), 1);
    Key(Grid(), VK_UP);
    EXPECT_EQ(CurrentField(), 1);
    EXPECT_EQ(Table().CurrentIndex(), 1u) << "Up moves the record as before";
    KeyWith(Grid(), VK_CONTROL, VK_HOME);
    EXPECT_EQ(Table().CurrentIndex(), 0u);
    KeyWith(Grid(), VK_CONTROL, VK_END);
    EXPECT_EQ(Table().CurrentIndex(), 2u);
    EXPECT_EQ(CurrentField(), 1);

    Click(Grid(), 0, TDBGrid::ColumnOfField(2));
    EXPECT_EQ(CurrentField(), 2);
    EXPECT_EQ(Table().CurrentIndex(), 0u);
    Click(Grid(), 2, TDBGrid::kIndicatorColumn);
    EXPECT_EQ(CurrentField(), 2) << "the indicator picks the row only";
    EXPECT_EQ(Table().CurrentIndex(), 2u);
    EXPECT_EQ(MarksOf(Grid()), (Marks{{2}, {{2, 3}}}));

    DragTitle(Grid(), 3, 1);
    ASSERT_EQ(Table().FieldAt(0).FieldName(), "C");
    EXPECT_EQ(CurrentField(), 0) << "the current cell stays on its field";
    EXPECT_EQ(MarksOf(Grid()), (Marks{{2}, {{2, 1}}}));
}

TEST_F(GridTest, TheCurrentCellIsScrolledIntoView) {
    // Text columns are far wider than the window.
    FillTable(Table(), {{"Testo", ftString}, {"Altro", ftString}, {"N", ftInteger}},
              {{"a", "b", "1"}});
    RECT client{};
    GetClientRect(Grid(), &client);
    auto span = [&](int column) { return e2e::PictureOf(Grid()).columns.at(column); };

    Key(Grid(), VK_RIGHT);
    EXPECT_EQ(span(2).left, 0) << "a cell wider than the grid starts at its left edge";
    Key(Grid(), VK_RIGHT);
    EXPECT_GE(span(3).left, 0);
    EXPECT_LE(span(3).right, client.right);
    Key(Grid(), VK_LEFT);
    Key(Grid(), VK_LEFT);
    EXPECT_EQ(span(0).left, 0) << "the first field brings the indicator with it";
}

// Not a timed test: it prints how long a million records take to appear, to
// scroll to the end and to follow the table's cursor, and fails only when
// the grid plainly walks the records instead of asking for the visible ones.
TEST_F(GridTest, MillionRecordsShowAndScrollAsFastAsTen) {
    using Clock = std::chrono::steady_clock;
    const std::size_t n = 1'000'000;
    Table().SuspendControls();
    DefineAndCreate(Table(), {{"Id", ftInteger}, {"Nome", ftString}, {"Valore", ftFloat}});
    for (std::size_t i = 0; i < n; ++i) {
        Table().AddRecord();
        Table().FieldAt(0).SetValueText(std::to_string(i));
        Table().FieldAt(1).SetValueText("riga");
        Table().FieldAt(2).SetValueText("1,5");
        Table().MoveToNext();
    }
    Table().SetReadOnly(true);
    ShowWindow(w.Handle(), SW_SHOWNORMAL);
    auto paintedAfter = [&](auto step) {
        auto start = Clock::now();
        step();
        UpdateWindow(Grid());
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };

    const double shown = paintedAfter([&] { Table().ResumeControls(); });
    const double top = paintedAfter([&] { SendMessageA(Grid(), WM_VSCROLL, SB_TOP, 0); });
    const double bottom = paintedAfter([&] { SendMessageA(Grid(), WM_VSCROLL, SB_BOTTOM, 0); });
    const double first = paintedAfter([&] { Table().MoveToFirst(); });
    EXPECT_EQ(FocusedRow(Grid()), 0);
    // The list view's own keyboard move: under Wine it looks at every row of
    // an owner-data list to drop the old selection, which is its cost, not
    // the table's.
    const double endKey = paintedAfter([&] { SendMessageA(Grid(), WM_KEYDOWN, VK_END, 0); });

    std::printf("[ grid     ] 1,000,000 records: shown after the resume %.1f ms, scrolled to the "
                "top %.1f ms, to the end %.1f ms, to the first record by the table %.1f ms; "
                "End key %.1f ms\n",
                shown, top, bottom, first, endKey);
    EXPECT_EQ(RowCount(Grid()), static_cast<int>(n));
    EXPECT_EQ(CellOf(Grid(), static_cast<int>(n - 1), 1), "999999");
    // Generous: only a grid that asks for every row (seconds under Wine) goes
    // over, not a busy machine.
    EXPECT_LT(shown + top + bottom + first, 5000.0);
}

} // namespace
} // namespace pagora
