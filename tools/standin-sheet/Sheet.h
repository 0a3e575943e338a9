// The stand-in's one sheet: a rectangle of typed cells read from a text file
// (the format is in README.md). Its current region around A1 is the whole
// rectangle.
#pragma once

#include "ComSupport.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pagora::standin {

class SheetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Sheet {
    LONG rows = 0;
    LONG columns = 0;
    std::vector<Variant> cells; // row by row

    const VARIANT& At(LONG row, LONG column) const { return cells[row * columns + column].Get(); }
};

// One cell written as Kind:value; throws SheetError.
Variant ParseCell(std::string_view text);
// A whole sheet file's bytes (UTF-8); throws SheetError naming line and cell.
Sheet ParseSheet(std::string_view text);
Sheet LoadSheet(const std::wstring& path);

// The kind a cell of this variant type is written with, or "" for none.
std::string_view KindName(VARTYPE vt);

// The region's Value as the real application gives it: the single value for
// one cell, else a rows x columns array of VARIANT with lower bounds 1.
HRESULT RegionValue(const Sheet& sheet, VARIANT* out);

} // namespace pagora::standin
