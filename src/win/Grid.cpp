#include "Grid.h"

#include "Exceptions.h"
#include "Font.h"
#include "OleUtil.h"
#include "Owner.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace pagora {

namespace {

// Room the header leaves around a title, so a column is never narrower than
// the title it shows.
constexpr int kTitlePadding = 12;

int TextWidth(HWND hwnd, HFONT font, const std::string& text) {
    const WindowDC dc = BorrowDC(hwnd);
    const Selection selected = SelectInto(dc.Get(), font);
    SIZE size{};
    GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

int AverageDigitWidth(HWND hwnd, HFONT font) {
    return std::max(1, TextWidth(hwnd, font, "0123456789") / 10);
}

void InsertColumn(HWND hwnd, int index, const std::string& title, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(title.c_str());
    column.cx = width;
    column.iSubItem = index;
    SendMessageA(hwnd, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

// Raises a flag for the length of a scope and puts back what it was.
auto RaisedFlag(bool& flag) {
    return ScopeGuard([&flag, before = std::exchange(flag, true)] { flag = before; });
}

} // namespace

void TDBGrid::Create(HWND parent, int id, HFONT font) {
    hwnd_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                                LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleA(nullptr), nullptr);
    if (!hwnd_)
        throw Exception("The grid cannot be created");
    font_ = font;
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP;
    SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
}

void TDBGrid::SetDataSource(TDataSource* source) {
    if (source_)
        source_->DataSet().SetObserver(nullptr);
    source_ = source;
    if (source_)
        source_->DataSet().SetObserver(this);
    StateChanged();
}

TClientDataSet* TDBGrid::Table() const {
    return source_ ? &source_->DataSet() : nullptr;
}

bool TDBGrid::TableOpen() const {
    return Table() && Table()->Active();
}

// While the grid follows the table, the focus it moves is not the user's.
void TDBGrid::StateChanged() {
    const auto following = RaisedFlag(following_);
    RebuildColumns();
    UpdateRowCount();
    ShowCurrentRecord();
}

void TDBGrid::DataChanged() {
    const auto following = RaisedFlag(following_);
    UpdateRowCount();
    ShowCurrentRecord();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TDBGrid::RecordChanged() {
    const auto following = RaisedFlag(following_);
    ShowCurrentRecord();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void TDBGrid::RebuildColumns() {
    SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    for (; columns_ > 0; --columns_)
        SendMessageA(hwnd_, LVM_DELETECOLUMN, columns_ - 1, 0);
    const int count = TableOpen() ? Table()->NumFields() : 0;
    for (; columns_ < count; ++columns_)
        InsertColumn(hwnd_, columns_, Table()->FieldAt(columns_).FieldName(),
                     InitialWidth(columns_));
    SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
}

// As wide as the field's display width in digits of the grid's font, and
// never narrower than the title.
int TDBGrid::InitialWidth(int position) const {
    TField& field = Table()->FieldAt(position);
    int chars = DisplayWidth(field.DataType(), field.Size());
    int width = chars * AverageDigitWidth(hwnd_, font_) + 4;
    return std::max(width, TextWidth(hwnd_, font_, field.FieldName()) + kTitlePadding);
}

std::vector<int> TDBGrid::ColumnWidths() const {
    std::vector<int> widths(columns_);
    for (int i = 0; i < columns_; ++i)
        widths[i] = static_cast<int>(SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, i, 0));
    return widths;
}

// Titles from the present field order, and the given widths, on the columns
// that are there: the header is left as it stands.
void TDBGrid::RetitleColumns(const std::vector<int>& widths) {
    for (int i = 0; i < columns_; ++i) {
        std::string title = Table()->FieldAt(i).FieldName();
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = title.data();
        column.cx = widths[i];
        SendMessageA(hwnd_, LVM_SETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void TDBGrid::UpdateRowCount() {
    const std::size_t rows = TableOpen() ? Table()->RecordCount() : 0;
    SendMessageA(hwnd_, LVM_SETITEMCOUNT, rows, LVSICF_NOSCROLL);
}

void TDBGrid::ShowCurrentRecord() {
    if (!TableOpen() || Table()->CurrentIndex() >= Table()->RecordCount())
        return;
    const int row = static_cast<int>(Table()->CurrentIndex());
    // The old row is let go first: a list view that has to drop the other
    // selections itself may look at every row to find them.
    const int selected = static_cast<int>(SendMessageA(hwnd_, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    if (selected >= 0 && selected != row)
        SetRowState(selected, 0);
    SetRowState(row, LVIS_FOCUSED | LVIS_SELECTED);
    SendMessageA(hwnd_, LVM_ENSUREVISIBLE, row, FALSE);
}

void TDBGrid::SetRowState(int row, UINT state) {
    LVITEMA item{};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = state;
    SendMessageA(hwnd_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void TDBGrid::MoveColumn(int from, int to) {
    if (!TableOpen() || from == to || from < 0 || to < 0 || from >= columns_ || to >= columns_)
        return;
    std::vector<int> widths = ColumnWidths();
    Table()->MoveField(from, to);
    // The width the user gave the column travels with it.
    int moved = widths[from];
    widths.erase(widths.begin() + from);
    widths.insert(widths.begin() + to, moved);
    RetitleColumns(widths);
}

void TDBGrid::FillCell(NMLVDISPINFOA& info) const {
    LVITEMA& item = info.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    item.pszText[0] = '\0';
    if (!TableOpen() || item.iItem < 0 || item.iSubItem >= columns_ ||
        static_cast<std::size_t>(item.iItem) >= Table()->RecordCount())
        return;
    const std::string text = Table()->CellText(item.iItem, item.iSubItem);
    // A text longer than the buffer is cut between two characters, never
    // inside one (a character of UTF-8 takes up to four bytes).
    const std::size_t n = AnsiPrefixLength(text, static_cast<std::size_t>(item.cchTextMax - 1));
    std::memcpy(item.pszText, text.data(), n);
    item.pszText[n] = '\0';
}

// The list view would only reorder its own columns; instead the table's
// field moves and the columns are retitled in place, so column i stays
// field i. Answering TRUE keeps the header's order as it was.
bool TDBGrid::OnHeaderEndDrag(const NMHEADERA& drag) {
    if (!drag.pitem || !(drag.pitem->mask & HDI_ORDER))
        return false;
    MoveColumn(drag.iItem, drag.pitem->iOrder);
    return true;
}

// The user moved the focus to a row (by key or mouse): its record becomes
// the table's current one. A suspended table is busy with a walk of its own
// and keeps its cursor.
void TDBGrid::OnItemChanged(const NMLISTVIEW& change) {
    const bool focusGained = (change.uChanged & LVIF_STATE) != 0 &&
                             (change.uNewState & LVIS_FOCUSED) != 0 &&
                             (change.uOldState & LVIS_FOCUSED) == 0;
    if (!focusGained || following_ || change.iItem < 0 || !TableOpen() ||
        Table()->SuspendCount() > 0)
        return;
    Table()->MoveTo(static_cast<std::size_t>(change.iItem));
}

bool TDBGrid::HandleNotify(const NMHDR& header, LRESULT& result) {
    if (!hwnd_)
        return false;
    if (header.hwndFrom == hwnd_ && header.code == LVN_GETDISPINFOA) {
        FillCell(*reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(&header)));
        result = 0;
        return true;
    }
    if (header.hwndFrom == hwnd_ && header.code == LVN_ITEMCHANGED) {
        OnItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
        result = 0;
        return true;
    }
    HWND columnHeader = reinterpret_cast<HWND>(SendMessageA(hwnd_, LVM_GETHEADER, 0, 0));
    if (header.hwndFrom == columnHeader && header.code == HDN_ENDDRAG) {
        result = OnHeaderEndDrag(reinterpret_cast<const NMHEADERA&>(header)) ? TRUE : FALSE;
        return true;
    }
    return false;
}

} // namespace pagora
