// What the program's grid draws, read from its pixels as a user's eyes
// would: which row carries the record indicator's marker and which cells
// are highlighted. The list view is painted into a bitmap of our own
// (WM_PRINTCLIENT), so this works without a screen too. The probe answers
// with it from inside the program; in-process tests call it directly.
#pragma once

#include <windows.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

namespace pagora::e2e {

struct DrawnRow {
    int row;
    RECT bounds;                  // in the list view's client coordinates
    bool marker;                  // the indicator cell shows the marker
    std::vector<int> highlighted; // the columns drawn in the highlight colour
};

struct GridPicture {
    std::vector<RECT> columns;  // by column index, in client coordinates
    std::vector<DrawnRow> rows; // the rows in view, top to bottom
};

// The marker counts in column 0, the indicator.
GridPicture PictureOf(HWND list);

// The middle of a cell of a row in view, where a click picks it; nothing
// when the row or the column is not there.
inline std::optional<POINT> CentreOf(const GridPicture& picture, int row, int column) {
    auto drawn = std::find_if(picture.rows.begin(), picture.rows.end(),
                              [row](const DrawnRow& each) { return each.row == row; });
    if (drawn == picture.rows.end() || column < 0 ||
        column >= static_cast<int>(picture.columns.size()))
        return std::nullopt;
    const RECT& span = picture.columns[column];
    return POINT{(span.left + span.right) / 2, (drawn->bounds.top + drawn->bounds.bottom) / 2};
}

// The same in short, for a test to compare: the rows that show the marker,
// and the highlighted cells as (row, column).
struct GridMarks {
    std::vector<int> markers;
    std::vector<std::pair<int, int>> highlighted;
    bool operator==(const GridMarks&) const = default;
};

inline GridMarks MarksOf(const GridPicture& picture) {
    GridMarks marks;
    for (const DrawnRow& row : picture.rows) {
        if (row.marker)
            marks.markers.push_back(row.row);
        for (int column : row.highlighted)
            marks.highlighted.emplace_back(row.row, column);
    }
    return marks;
}

inline std::ostream& operator<<(std::ostream& out, const GridMarks& marks) {
    out << "markers";
    for (int row : marks.markers)
        out << " " << row;
    out << ", highlighted";
    for (auto [row, column] : marks.highlighted)
        out << " " << row << ":" << column;
    return out;
}

} // namespace pagora::e2e
