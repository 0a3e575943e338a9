// The grid that shows the in-memory table: a virtual list view in report
// mode that asks the table for the text of the cells it draws, so a table of
// a million records scrolls as fast as one of ten. It follows the table
// through the table's observer, and a column dragged to another place moves
// the table's field with it. The row the user moves to becomes the table's
// current record.
#pragma once

#include "ClientDataSet.h"

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

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

    // The effect of dragging the column at `from` to `to`: the table's field
    // moves there and the columns show the new field order.
    void MoveColumn(int from, int to);

private:
    void StateChanged() override;
    void DataChanged() override;
    void RecordChanged() override;

    TClientDataSet* Table() const;
    bool TableOpen() const;
    void RebuildColumns();
    void RetitleColumns(const std::vector<int>& widths);
    std::vector<int> ColumnWidths() const;
    int InitialWidth(int position) const;
    void UpdateRowCount();
    void ShowCurrentRecord();
    void SetRowState(int row, UINT state);
    void FillCell(NMLVDISPINFOA& info) const;
    bool OnHeaderEndDrag(const NMHEADERA& drag);
    void OnItemChanged(const NMLISTVIEW& change);

    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    TDataSource* source_ = nullptr;
    int columns_ = 0;
    bool following_ = false; // the grid is moving its rows after the table
};

} // namespace pagora
