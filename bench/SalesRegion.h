// The value array of a sheet of sales records, as the spreadsheet hands over
// its current region: a title row, then one row per record of twenty fields
// of every kind the import meets (codes, descriptions with accented letters,
// integers, floats, currency, dates with and without a time) and cells left
// empty here and there.
#pragma once

#include "OleUtil.h"

#include <cstdint>

namespace pagora::bench {

inline constexpr std::int32_t kSalesFields = 20;

// records + 1 rows of kSalesFields columns, counted from 1. The first record
// has every field filled, so that each column gets the type its kind gives
// it. Raises std::bad_alloc when the array does not fit.
Variant MakeSalesRegion(std::int32_t records);

} // namespace pagora::bench
