#include "BenchTools.h"
#include "Locale.h"
#include "Measurements.h"
#include "RegionLoader.h"
#include "SalesRegion.h"
#include "Stdpas.h"

#include <cstdio>

namespace pagora::bench {

BenchContext::BenchContext()
    : Settings(ReadFormatSettings()), Env{&Settings, &Clock, SameTextLocale} {}

void LoadSuspended(TClientDataSet& table, const Variant& region, std::int32_t records,
                   const FormatSettings& settings, const Clock& clock) {
    table.CloseTable();
    table.ClearFieldDefs();
    table.SuspendControls();
    table.SetReadOnly(false);
    LoadRegion(table, region.Get(), records + 1, kSalesFields, settings, clock);
    table.SetReadOnly(true);
}

namespace {

// The reads the load makes, each element with a value turned into its text
// as the load turns it, and nothing kept. Returns the texts' bytes of the
// records' cells.
std::size_t ConvertEveryValue(const BenchContext& context, const Variant& region,
                              std::int32_t records) {
    VarArrayReader reader(region.Get());
    PlatformTexts platform;
    std::size_t recordBytes = 0;
    for (std::int32_t row = 1; row <= records + 1; ++row)
        for (std::int32_t column = 1; column <= kSalesFields; ++column) {
            const VARIANT& value = reader.At(row, column);
            if (!VarHasValue(value))
                continue;
            const std::size_t bytes = VarAsText(value, context.Settings, &platform).size();
            if (row > 1)
                recordBytes += bytes;
        }
    return recordBytes;
}

} // namespace

LoadedTable MeasureLoad(const BenchContext& context, const Variant& region, const SheetSize& size) {
    LoadedTable loaded;
    Timing timing;
    timing.BaselineSeconds = BestOf(size.Runs, [&] {
        return Seconds(
            [&] { loaded.TextBytes = ConvertEveryValue(context, region, size.Records); });
    });
    timing.Seconds = BestOf(size.Runs, [&] {
        loaded.Table.reset(); // the previous run's records go before the next are made
        loaded.Table = std::make_unique<TClientDataSet>(context.Env);
        TClientDataSet& table = *loaded.Table;
        return Seconds([&] {
            LoadSuspended(table, region, size.Records, context.Settings, context.Clock);
            table.ResumeControls();
        });
    });
    const std::size_t cells = static_cast<std::size_t>(size.Records) * kSalesFields;
    PrintRate("load", size.Label, Millions(cells), "M cells/s", timing);
    return loaded;
}

void PrintTableMemory(const LoadedTable& loaded, const SheetSize& size) {
    PrintMemory(size.Label, loaded.Table->MemoryBytes(), loaded.TextBytes,
                static_cast<std::size_t>(size.Records) * kSalesFields);
}

} // namespace pagora::bench
