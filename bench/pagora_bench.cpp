// pagora_bench: the speed and memory of the import, the fragment, the export,
// the copy and the grid on sheets of 10,000 to 1,000,000 records of twenty
// fields, each figure printed beside a baseline measured in the same run.
// It prints; it asserts nothing.
//
// Usage: pagora_bench [--rows N]   (N records instead of the three sizes)
#include "BenchTools.h"
#include "FrameFakes.h"
#include "Measurements.h"
#include "SalesRegion.h"
#include "TempFolder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace pagora::bench {

namespace {

constexpr std::int32_t kGridBaselineRecords = 10;
constexpr std::int32_t kMostRunsUpTo = 100'000; // larger sizes run each step once

struct Setup {
    BenchContext Context;
    WindowHarness Window;
    TempFolder Folder{"bench"};
    Variant SmallRegion = MakeSalesRegion(kGridBaselineRecords);
};

// The sizes asked for, or none when the arguments make no sense.
std::vector<std::int32_t> Sizes(int argc, char** argv) {
    if (argc == 1)
        return {10'000, 100'000, 1'000'000};
    if (argc == 3 && std::strcmp(argv[1], "--rows") == 0) {
        const long records = std::strtol(argv[2], nullptr, 10);
        if (records > 0 && records <= 10'000'000)
            return {static_cast<std::int32_t>(records)};
    }
    return {};
}

// The measurements of the table's outputs, after the value array is gone.
void MeasureOutputs(Setup& setup, const LoadedTable& loaded, const SheetSize& size) {
    TClientDataSet& table = *loaded.Table;
    PrintTableMemory(loaded, size);
    Attempt("export", size.Label, [&] { MeasureExport(table, setup.Context, size, setup.Folder); });
    Attempt("copy", size.Label, [&] { MeasureCopy(table, setup.Context, size); });
    Attempt("clipboard", size.Label,
            [&] { MeasureClipboard(table, setup.Context, size, setup.Window.Handle()); });
}

void MeasureSize(Setup& setup, std::int32_t records) {
    const SheetSize size{records, records <= kMostRunsUpTo ? 3 : 1,
                         SizeLabel(static_cast<std::size_t>(records), kSalesFields)};
    std::printf("\n== %d records x %d fields, best of %d run%s\n", records, kSalesFields, size.Runs,
                size.Runs == 1 ? "" : "s");
    LoadedTable loaded;
    {
        Variant region;
        Attempt("region", size.Label, [&] { region = MakeSalesRegion(records); });
        if (region.Get().vt != VT_EMPTY) {
            Attempt("load", size.Label, [&] { loaded = MeasureLoad(setup.Context, region, size); });
            Attempt("grid", size.Label, [&] {
                MeasureGrid(setup.Window, region, setup.SmallRegion, kGridBaselineRecords, size);
            });
        }
    } // the value array is freed before the fragment needs the room
    if (loaded.Table)
        MeasureOutputs(setup, loaded, size);
    PrintPeak(size.Label);
}

int Run(int argc, char** argv) {
    const std::vector<std::int32_t> sizes = Sizes(argc, argv);
    if (sizes.empty()) {
        std::fprintf(stderr, "usage: pagora_bench [--rows N]\n");
        return 2;
    }
    Setup setup;
    setup.Window.form->Show();
    std::printf("pagora_bench: LCID %04lX, MB = 2^20 bytes; ratio = time / baseline time "
                "(above 1: slower than the baseline)\n",
                GetUserDefaultLCID());
    for (const std::int32_t records : sizes)
        MeasureSize(setup, records);
    return 0;
}

} // namespace

} // namespace pagora::bench

int main(int argc, char** argv) {
    return pagora::bench::Run(argc, argv);
}
