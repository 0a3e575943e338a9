// The benchmark's measurements of one size of sheet. Each prints its own
// lines: the figure, its same-run baseline and their ratio.
#pragma once

#include "ClientDataSet.h"
#include "Clock.h"
#include "FormatSettings.h"
#include "OleUtil.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace pagora {
struct WindowHarness;
class TempFolder;
} // namespace pagora

namespace pagora::bench {

// The user's settings and a fixed clock, as the program's window has them.
struct BenchContext {
    BenchContext();
    BenchContext(const BenchContext&) = delete;
    BenchContext& operator=(const BenchContext&) = delete;

    FormatSettings Settings;
    FixedClock Clock{LocalTime{2026, 3, 15, 10, 30, 0, 0}};
    TableEnvironment Env; // points at the two above
};

// One size of sheet: its records, how often each timed step runs (the best
// run counts) and its label in the report.
struct SheetSize {
    std::int32_t Records = 0;
    int Runs = 1;
    std::string Label;
};

// Fills the closed or open table from the region as the import does, up to
// and including read-only; the controls are left suspended for the caller
// to resume.
void LoadSuspended(TClientDataSet& table, const Variant& region, std::int32_t records,
                   const FormatSettings& settings, const Clock& clock);

// The loaded table, kept for the measurements of its outputs, and the bytes
// of the texts of its cells (records only, as the platform writes them).
struct LoadedTable {
    std::unique_ptr<TClientDataSet> Table;
    std::size_t TextBytes = 0;
};

// load: LoadRegion into a fresh table with no grid; baseline: the same
// reads with each value turned into its text.
LoadedTable MeasureLoad(const BenchContext& context, const Variant& region, const SheetSize& size);

// memory: the table's bytes against its cells' texts and the target.
void PrintTableMemory(const LoadedTable& loaded, const SheetSize& size);

// export: the fragment written through the text file; baseline: the same
// bytes written in blocks of the text file's buffer size.
void MeasureExport(TClientDataSet& table, const BenchContext& context, const SheetSize& size,
                   TempFolder& folder);

// copy: the fragment joined into the clipboard's text; baseline: the same
// bytes copied from the built lines into one block.
void MeasureCopy(TClientDataSet& table, const BenchContext& context, const SheetSize& size);

// clipboard: the joined text handed to the system clipboard, once.
void MeasureClipboard(TClientDataSet& table, const BenchContext& context, const SheetSize& size,
                      HWND owner);

// grid: the main window's grid shown after the import's resume, and then
// scrolled to the last record; baseline: the same with a small region.
void MeasureGrid(WindowHarness& window, const Variant& region, const Variant& smallRegion,
                 std::int32_t smallRecords, const SheetSize& size);

} // namespace pagora::bench
