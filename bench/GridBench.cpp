#include "BenchTools.h"
#include "FrameFakes.h"
#include "Measurements.h"

#include <algorithm>

namespace pagora::bench {

namespace {

struct GridTimes {
    double Shown = 0;    // from the outermost resume until the grid has painted
    double Scrolled = 0; // from the first row to the last, painted
};

// Leaves the window's table closed with its controls live however a run
// ends, so that the next run's resume is again the outermost one.
auto WindowTableReset(TClientDataSet& table) {
    return ScopeGuard([&table] {
        while (table.SuspendCount() > 0)
            table.ResumeControls();
        table.CloseTable();
        table.ClearFieldDefs();
    });
}

double PaintedAfter(HWND grid, const std::function<void()>& step) {
    return Seconds([&] {
        step();
        UpdateWindow(grid);
    });
}

GridTimes ShowAndScroll(WindowHarness& window, const Variant& region, std::int32_t records) {
    TClientDataSet& table = window.Table();
    const auto reset = WindowTableReset(table);
    const HWND grid = window.GridHandle();
    LoadSuspended(table, region, records, TfExpoTestAccess::Settings(*window.form), window.clock);
    GridTimes times;
    times.Shown = PaintedAfter(grid, [&] { table.ResumeControls(); });
    // The grid follows the table's cursor, which the load leaves on the last
    // record: the scroll starts from the top.
    PaintedAfter(grid, [&] { SendMessageA(grid, LVM_ENSUREVISIBLE, 0, FALSE); });
    const WPARAM last = static_cast<WPARAM>(RowCount(grid) - 1);
    times.Scrolled =
        PaintedAfter(grid, [&] { SendMessageA(grid, LVM_ENSUREVISIBLE, last, FALSE); });
    return times;
}

GridTimes BestTimes(int runs, WindowHarness& window, const Variant& region, std::int32_t records) {
    GridTimes best = ShowAndScroll(window, region, records);
    for (int run = 1; run < runs; ++run) {
        const GridTimes times = ShowAndScroll(window, region, records);
        best.Shown = std::min(best.Shown, times.Shown);
        best.Scrolled = std::min(best.Scrolled, times.Scrolled);
    }
    return best;
}

} // namespace

void MeasureGrid(WindowHarness& window, const Variant& region, const Variant& smallRegion,
                 std::int32_t smallRecords, const SheetSize& size) {
    const GridTimes small = BestTimes(size.Runs, window, smallRegion, smallRecords);
    const GridTimes large = BestTimes(size.Runs, window, region, size.Records);
    const std::string note = std::to_string(smallRecords) + " records";
    PrintMilliseconds("grid", size.Label, {large.Shown, small.Shown}, note.c_str());
    PrintMilliseconds("scroll", size.Label, {large.Scrolled, small.Scrolled}, note.c_str());
}

} // namespace pagora::bench
