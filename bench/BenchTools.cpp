#include "BenchTools.h"

#include "Exceptions.h"

#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <new>

namespace pagora::bench {

namespace {

double Ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart);
}

double TicksPerSecond() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart);
}

} // namespace

double Seconds(const std::function<void()>& step) {
    const double start = Ticks();
    step();
    return (Ticks() - start) / TicksPerSecond();
}

double BestOf(int runs, const std::function<double()>& run) {
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < runs; ++i)
        best = std::min(best, run());
    return best;
}

std::string SizeLabel(std::size_t records, int fields) {
    return std::to_string(records) + "x" + std::to_string(fields);
}

double Megabytes(std::size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

double Millions(std::size_t count) {
    return static_cast<double>(count) / 1e6;
}

void PrintRate(const char* what, const std::string& size, double amount, const char* unit,
               const Timing& timing, const std::string& note) {
    std::printf("%-9s %-11s %9.2f %-9s baseline %9.2f %-9s ratio %6.2f%s%s%s\n", what, size.c_str(),
                amount / timing.Seconds, unit, amount / timing.BaselineSeconds, unit,
                timing.Seconds / timing.BaselineSeconds, note.empty() ? "" : "  (", note.c_str(),
                note.empty() ? "" : ")");
}

void PrintMilliseconds(const char* what, const std::string& size, const Timing& timing,
                       const char* baselineNote) {
    std::printf("%-9s %-11s %9.1f %-9s baseline %9.1f %-9s ratio %6.2f  (baseline: %s)\n", what,
                size.c_str(), timing.Seconds * 1e3, "ms", timing.BaselineSeconds * 1e3, "ms",
                timing.Seconds / timing.BaselineSeconds, baselineNote);
}

void PrintSingleRate(const char* what, const std::string& size, double amount, const char* unit,
                     double seconds, const char* note) {
    std::printf("%-9s %-11s %9.2f %-9s (%s)\n", what, size.c_str(), amount / seconds, unit, note);
}

void PrintMemory(const std::string& size, std::size_t tableBytes, std::size_t textBytes,
                 std::size_t cells) {
    const std::size_t target = 2 * textBytes + 16 * cells;
    std::printf("%-9s %-11s %9.1f %-9s baseline %9.1f %-9s ratio %6.2f  (target 2x texts + 16 "
                "B/cell = %.1f MB: %s)\n",
                "memory", size.c_str(), Megabytes(tableBytes), "MB table", Megabytes(textBytes),
                "MB texts", static_cast<double>(tableBytes) / static_cast<double>(textBytes),
                Megabytes(target), tableBytes <= target ? "within" : "OVER");
}

void PrintPeak(const std::string& size) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        std::printf("%-9s %-11s unavailable (error %lu)\n", "peak", size.c_str(), GetLastError());
        return;
    }
    std::printf("%-9s %-11s %9.1f MB pagefile   %9.1f MB working set  (process so far)\n", "peak",
                size.c_str(), Megabytes(counters.PeakPagefileUsage),
                Megabytes(counters.PeakWorkingSetSize));
}

void Attempt(const char* what, const std::string& size, const std::function<void()>& measure) {
    try {
        measure();
    } catch (const std::bad_alloc&) {
        std::printf("%-9s %-11s does not fit in a 32-bit process\n", what, size.c_str());
    } catch (const EOutOfMemory&) {
        std::printf("%-9s %-11s does not fit in a 32-bit process\n", what, size.c_str());
    } catch (const Exception& failure) {
        std::printf("%-9s %-11s failed: %s: %s\n", what, size.c_str(), failure.ClassName(),
                    failure.Message().c_str());
    }
    std::fflush(stdout);
}

} // namespace pagora::bench
