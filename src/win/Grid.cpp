#include "Grid.h"

#include "Exceptions.h"
#include "Font.h"
#include "OleUtil.h"
#include "Owner.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <optional>
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

HWND HeaderOf(HWND list) {
    return reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
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
    // Full-row select lets a click anywhere on a row pick it; custom draw
    // then highlights only the current cell.
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP;
    SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    listProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TDBGrid::ListProc)));
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
// A table taken up anew starts on its first field.
void TDBGrid::StateChanged() {
    const auto following = RaisedFlag(following_);
    RebuildColumns();
    currentField_ = fields_ > 0 ? 0 : -1;
    AnnounceCurrentField();
    UpdateRowCount();
    ShowCurrentRecord();
    ShowCurrentCell();
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

// The indicator and one column per field while the table is open; no
// column at all while it is closed.
void TDBGrid::RebuildColumns() {
    SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    for (int column = Header_GetItemCount(HeaderOf(hwnd_)) - 1; column >= 0; --column)
        SendMessageA(hwnd_, LVM_DELETECOLUMN, column, 0);
    fields_ = TableOpen() ? Table()->NumFields() : 0;
    if (TableOpen())
        InsertColumn(hwnd_, kIndicatorColumn, "", kIndicatorWidth);
    for (int field = 0; field < fields_; ++field)
        InsertColumn(hwnd_, ColumnOfField(field), Table()->FieldAt(field).FieldName(),
                     InitialWidth(field));
    SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
}

// As wide as the field's display width in digits of the grid's font, and
// never narrower than the title.
int TDBGrid::InitialWidth(int field) const {
    TField& shown = Table()->FieldAt(field);
    int chars = DisplayWidth(shown.DataType(), shown.Size());
    int width = chars * AverageDigitWidth(hwnd_, font_) + 4;
    return std::max(width, TextWidth(hwnd_, font_, shown.FieldName()) + kTitlePadding);
}

// The widths of the field columns, by field position.
std::vector<int> TDBGrid::ColumnWidths() const {
    std::vector<int> widths(fields_);
    for (int i = 0; i < fields_; ++i)
        widths[i] = static_cast<int>(SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, ColumnOfField(i), 0));
    return widths;
}

// Titles from the present field order, and the given widths, on the columns
// that are there: the header is left as it stands.
void TDBGrid::RetitleColumns(const std::vector<int>& widths) {
    for (int i = 0; i < fields_; ++i) {
        std::string title = Table()->FieldAt(i).FieldName();
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = title.data();
        column.cx = widths[i];
        SendMessageA(hwnd_, LVM_SETCOLUMNA, ColumnOfField(i), reinterpret_cast<LPARAM>(&column));
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

int TDBGrid::FocusedRow() const {
    return static_cast<int>(SendMessageA(hwnd_, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
}

void TDBGrid::MoveColumn(int from, int to) {
    if (!TableOpen() || from == to || from < 0 || to < 0 || from >= fields_ || to >= fields_)
        return;
    std::vector<int> widths = ColumnWidths();
    Table()->MoveField(from, to);
    // The width the user gave the column travels with it, and so does the
    // current cell: it stays on its field.
    int moved = widths[from];
    widths.erase(widths.begin() + from);
    widths.insert(widths.begin() + to, moved);
    if (currentField_ == from)
        currentField_ = to;
    else if (from < currentField_ && currentField_ <= to)
        --currentField_;
    else if (to <= currentField_ && currentField_ < from)
        ++currentField_;
    AnnounceCurrentField();
    RetitleColumns(widths);
}

void TDBGrid::FillCell(NMLVDISPINFOA& info) const {
    LVITEMA& item = info.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    item.pszText[0] = '\0';
    const int field = item.iSubItem - ColumnOfField(0);
    if (!TableOpen() || item.iItem < 0 || field < 0 || field >= fields_ ||
        static_cast<std::size_t>(item.iItem) >= Table()->RecordCount())
        return;
    const std::string text = Table()->CellText(item.iItem, field);
    // A text longer than the buffer is cut between two characters, never
    // inside one (a character of UTF-8 takes up to four bytes).
    const std::size_t n = AnsiPrefixLength(text, static_cast<std::size_t>(item.cchTextMax - 1));
    std::memcpy(item.pszText, text.data(), n);
    item.pszText[n] = '\0';
}

// The list view would only reorder its own columns; instead the table's
// field moves and the columns are retitled in place, so column i + 1 stays
// field i. Answering TRUE keeps the header's order as it was. The indicator
// is field -1, so it neither moves nor takes a field in front of it.
bool TDBGrid::OnHeaderEndDrag(const NMHEADERA& drag) {
    if (!drag.pitem || !(drag.pitem->mask & HDI_ORDER))
        return false;
    MoveColumn(drag.iItem - ColumnOfField(0), drag.pitem->iOrder - ColumnOfField(0));
    return true;
}

// The header asks the list view before a title is dragged, a border is
// taken or a width changes; the grid answers first for the indicator, which
// stays where it is and as wide as it is, whoever asks (the mouse on its
// border, a double click there, the list view's own sizing keys).
std::optional<LRESULT> TDBGrid::OnHeaderRequest(const NMHDR& notice) const {
    if (notice.hwndFrom != HeaderOf(hwnd_))
        return std::nullopt;
    const auto& request = reinterpret_cast<const NMHEADERA&>(notice);
    switch (notice.code) {
    case HDN_BEGINDRAG:
    case HDN_BEGINTRACKA:
    case HDN_BEGINTRACKW:
        if (request.iItem == kIndicatorColumn)
            return TRUE;
        break;
    case HDN_ITEMCHANGINGA:
    case HDN_ITEMCHANGINGW:
        if (request.iItem == kIndicatorColumn && request.pitem &&
            (request.pitem->mask & HDI_WIDTH) && request.pitem->cxy != kIndicatorWidth)
            return TRUE;
        break;
    }
    return std::nullopt;
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

void TDBGrid::StepField(int delta) {
    SetCurrentField(std::clamp(currentField_ + delta, 0, fields_ - 1));
}

void TDBGrid::SetCurrentField(int field) {
    if (field != currentField_) {
        currentField_ = field;
        AnnounceCurrentField();
        const int row = FocusedRow();
        if (row >= 0)
            SendMessageA(hwnd_, LVM_REDRAWITEMS, row, row);
    }
    ShowCurrentCell();
}

// The list view's selected column is the current cell's, so that whoever
// reads the control (a screen reader, say) finds the current cell there.
void TDBGrid::AnnounceCurrentField() {
    const int column = currentField_ >= 0 ? ColumnOfField(currentField_) : -1;
    SendMessageA(hwnd_, LVM_SETSELECTEDCOLUMN, static_cast<WPARAM>(column), 0);
}

// Scrolls sideways just enough for the current cell to be in view; on the
// first field the indicator comes into view with it.
void TDBGrid::ShowCurrentCell() {
    if (currentField_ < 0)
        return;
    const RECT cell = ColumnSpan(ColumnOfField(currentField_));
    const int left = currentField_ == 0 ? ColumnSpan(kIndicatorColumn).left : cell.left;
    RECT client{};
    GetClientRect(hwnd_, &client);
    int dx = 0;
    if (left < client.left)
        dx = left - client.left;
    else if (cell.right > client.right)
        dx = std::min(cell.right - client.right, left - client.left);
    if (dx != 0)
        SendMessageA(hwnd_, LVM_SCROLL, static_cast<WPARAM>(dx), 0);
}

// The header moves sideways with the rows, so a column's place in it is its
// place over the rows.
RECT TDBGrid::ColumnSpan(int column) const {
    const HWND header = HeaderOf(hwnd_);
    RECT span{};
    SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&span));
    MapWindowPoints(header, hwnd_, reinterpret_cast<POINT*>(&span), 2);
    return span;
}

// The row is drawn as a plain row: only its current cell is highlighted,
// and the indicator has the face colour of the header it continues.
LRESULT TDBGrid::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        paintRow_ = FocusedRow();
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
        return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
        ColourCell(draw);
        return CDRF_NEWFONT;
    case CDDS_ITEMPOSTPAINT:
        if (static_cast<int>(draw.nmcd.dwItemSpec) == paintRow_)
            DrawMarker(draw.nmcd.hdc, paintRow_);
        return CDRF_DODEFAULT;
    }
    return CDRF_DODEFAULT;
}

void TDBGrid::ColourCell(NMLVCUSTOMDRAW& draw) const {
    int text = COLOR_WINDOWTEXT, back = COLOR_WINDOW;
    if (draw.iSubItem == kIndicatorColumn) {
        text = COLOR_BTNTEXT;
        back = COLOR_BTNFACE;
    } else if (static_cast<int>(draw.nmcd.dwItemSpec) == paintRow_ && currentField_ >= 0 &&
               draw.iSubItem == ColumnOfField(currentField_)) {
        text = COLOR_HIGHLIGHTTEXT;
        back = COLOR_HIGHLIGHT;
    }
    draw.clrText = GetSysColor(text);
    draw.clrTextBk = GetSysColor(back);
}

// A small triangle pointing right, in the middle of the indicator's cell.
void TDBGrid::DrawMarker(HDC dc, int row) const {
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    if (!SendMessageA(hwnd_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds)))
        return;
    const RECT indicator = ColumnSpan(kIndicatorColumn);
    const int x = (indicator.left + indicator.right) / 2 - 1;
    const int y = (bounds.top + bounds.bottom) / 2;
    const int half = std::clamp(static_cast<int>(bounds.bottom - bounds.top - 4) / 2, 1, 4);
    const POINT points[] = {
        {x - half / 2, y - half}, {x - half / 2 + half, y}, {x - half / 2, y + half}};
    const COLORREF colour = GetSysColor(COLOR_WINDOWTEXT);
    const Selection brush = SelectInto(dc, GetStockObject(DC_BRUSH));
    const Selection pen = SelectInto(dc, GetStockObject(DC_PEN));
    const COLORREF oldBrush = SetDCBrushColor(dc, colour);
    const COLORREF oldPen = SetDCPenColor(dc, colour);
    Polygon(dc, points, 3);
    SetDCBrushColor(dc, oldBrush);
    SetDCPenColor(dc, oldPen);
}

// Nothing the grid does here can throw: it only asks the list view and its
// header; the table hears of a new row through the parent's WM_NOTIFY,
// whose window procedure catches.
LRESULT CALLBACK TDBGrid::ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* grid = reinterpret_cast<TDBGrid*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    const WNDPROC own = grid->listProc_;
    switch (message) {
    case WM_KEYDOWN:
        if (grid->OnListKey(wParam))
            return 0;
        break;
    case WM_CHAR:
        if (wParam == '\t') // the list view would look for a row starting with it
            return 0;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        grid->OnListClick(lParam);
        break;
    case WM_NOTIFY:
        if (auto answer = grid->OnHeaderRequest(*reinterpret_cast<const NMHDR*>(lParam)))
            return *answer;
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        break;
    }
    return CallWindowProcA(own, hwnd, message, wParam, lParam);
}

// Left and Right, Tab and Shift+Tab move the current cell and never leave
// the row's ends; every other key is the list view's, which moves the rows.
bool TDBGrid::OnListKey(WPARAM key) {
    if (currentField_ < 0)
        return false;
    switch (key) {
    case VK_LEFT:
        StepField(-1);
        return true;
    case VK_RIGHT:
        StepField(1);
        return true;
    case VK_TAB:
        StepField(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
        return true;
    }
    return false;
}

// Before the list view moves the row, so that the row is drawn once with
// its new current cell; a click on the indicator keeps the field.
void TDBGrid::OnListClick(LPARAM position) {
    LVHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    SendMessageA(hwnd_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const int field = hit.iSubItem - ColumnOfField(0);
    if (hit.iItem >= 0 && field >= 0 && field < fields_)
        SetCurrentField(field);
}

bool TDBGrid::HandleNotify(const NMHDR& header, LRESULT& result) {
    if (!hwnd_)
        return false;
    if (header.hwndFrom == hwnd_) {
        auto& notice = const_cast<NMHDR&>(header);
        switch (header.code) {
        case LVN_GETDISPINFOA:
            FillCell(reinterpret_cast<NMLVDISPINFOA&>(notice));
            result = 0;
            return true;
        case LVN_ITEMCHANGED:
            OnItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
            result = 0;
            return true;
        case NM_CUSTOMDRAW:
            result = OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(notice));
            return true;
        }
        return false;
    }
    if (header.hwndFrom == HeaderOf(hwnd_) && header.code == HDN_ENDDRAG) {
        result = OnHeaderEndDrag(reinterpret_cast<const NMHEADERA&>(header)) ? TRUE : FALSE;
        return true;
    }
    return false;
}

} // namespace pagora
