// Turns the value array of the spreadsheet's current region into the table:
// row 1 names the columns, row 2 types them, rows 2 to the last are records.
#pragma once

#include "ClientDataSet.h"

#include <windows.h>
// oaidl.h needs windows.h first.
#include <oaidl.h>

#include <cstdint>

namespace pagora {

// Fills the closed table, which has no column definitions, from the value
// array indexed by the counts (never compared with the array's bounds).
// Catches nothing: the first failure leaves the table as it stood then.
void LoadRegion(TClientDataSet& cds, const VARIANT& values, std::int32_t rowCount,
                std::int32_t columnCount, const FormatSettings& settings, const Clock& clock);

} // namespace pagora
