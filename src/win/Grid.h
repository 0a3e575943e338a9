// The grid that shows the in-memory table: a virtual list view in report
// mode that asks the table for the text of the cells it draws, so a table of
// a million records scrolls as fast as one of ten. It follows the table
// through the table's observer, and a column dragged to another place moves
// the table's field with it. The row the user moves to becomes the table's
// current record.
//
// Column 0 of the list view is the record indicator: narrow, untitled, fixed
// in width and place, with a marker on the current record's row. Field i is
// column i + 1. On the current row one cell is current; custom draw shows it
// highlighted, and the arrow keys, Tab and the mouse move it between fields.
#pragma once

#include "ClientDataSet.h"

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <optional>
#include <vector>

namespace pagora {

// The link from the grid to the table.
class TDataSource {
public:
    explicit TDataSource(TClientDataSet& dataSet) : dataSet_(dataSet) {}
    TClientDataSet& DataSet() const { return dataSet_; }

private:
    TClientDataSet& dataSet_;
};

class TDBGrid : private TableObserver {
public:
    static constexpr int kIndicatorColumn = 0;
    static constexpr int kIndicatorWidth = 12;
    static constexpr int ColumnOfField(int field) { return field + 1; }

    TDBGrid() = default;
    TDBGrid(const TDBGrid&) = delete;
    TDBGrid& operator=(const TDBGrid&) = delete;

    // Builds the control; the parent destroys it and forwards its WM_NOTIFY.
    void Create(HWND parent, int id, HFONT font);
    HWND Handle() const { return hwnd_; }

    // Follows the table of the source from now on (nullptr: none). The grid
    // must be detached before the table goes.
    void SetDataSource(TDataSource* source);

    // The parent's WM_NOTIFY: true when the notification was the grid's,
    // with the answer in `result`.
    bool HandleNotify(const NMHDR& header, LRESULT& result);

    // The effect of dragging the column of the field at `from` to the place
    // of the field at `to`: the table's field moves there, the columns show
    // the new field order and the current cell stays on its field.
    void MoveColumn(int from, int to);

    // The field position of the current cell; -1 while no field is shown.
    int CurrentField() const { return currentField_; }

private:
    void StateChanged() override;
    void DataChanged() override;
    void RecordChanged() override;

    TClientDataSet* Table() const;
    bool TableOpen() const;
    void RebuildColumns();
    void RetitleColumns(const std::vector<int>& widths);
    std::vector<int> ColumnWidths() const;
    int InitialWidth(int field) const;
    void UpdateRowCount();
    void ShowCurrentRecord();
    void SetRowState(int row, UINT state);
    int FocusedRow() const;
    void FillCell(NMLVDISPINFOA& info) const;
    bool OnHeaderEndDrag(const NMHEADERA& drag);
    std::optional<LRESULT> OnHeaderRequest(const NMHDR& notice) const;
    void OnItemChanged(const NMLISTVIEW& change);

    // The current cell.
    void StepField(int delta);
    void SetCurrentField(int field);
    void AnnounceCurrentField();
    void ShowCurrentCell();
    RECT ColumnSpan(int column) const; // in the list view's client coordinates

    // Custom draw: the marker and the current cell.
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
    void ColourCell(NMLVCUSTOMDRAW& draw) const;
    void DrawMarker(HDC dc, int row) const;

    // The list view's own messages that the grid takes first: the keys that
    // move the current cell and the click that picks one.
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool OnListKey(WPARAM key);
    void OnListClick(LPARAM position);

    HWND hwnd_ = nullptr;
    WNDPROC listProc_ = nullptr; // the list view's own window procedure
    HFONT font_ = nullptr;
    TDataSource* source_ = nullptr;
    int fields_ = 0;         // field columns shown (the indicator not counted)
    int currentField_ = -1;  // the current cell's field position
    int paintRow_ = -1;      // the current row, read once per paint
    bool following_ = false; // the grid is moving its rows after the table
};

} // namespace pagora
