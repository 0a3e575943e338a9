// What every measurement of the benchmark shares: the clock, the best of a
// few runs, the process's peak memory, and the aligned lines of the report.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace pagora::bench {

// Seconds taken by step, by the performance counter.
double Seconds(const std::function<void()>& step);

// The shortest of `runs` runs; each run times what it means to time itself,
// so that its preparation stays out of the figure.
double BestOf(int runs, const std::function<double()>& run);

// A figure and its same-run baseline, both as times; the ratio is figure
// time over baseline time (above 1: slower than the baseline).
struct Timing {
    double Seconds = 0;
    double BaselineSeconds = 0;
};

// "100000x20": the records and fields a line speaks of.
std::string SizeLabel(std::size_t records, int fields);

// what  size  rate  baseline rate  ratio. amount is what one run handles, in
// the unit of the rate (M cells, MB); note, when given, follows in brackets.
void PrintRate(const char* what, const std::string& size, double amount, const char* unit,
               const Timing& timing, const std::string& note = {});
// The same with the times themselves, in milliseconds.
void PrintMilliseconds(const char* what, const std::string& size, const Timing& timing,
                       const char* baselineNote);
// A single figure without a baseline of its own.
void PrintSingleRate(const char* what, const std::string& size, double amount, const char* unit,
                     double seconds, const char* note);
void PrintMemory(const std::string& size, std::size_t tableBytes, std::size_t textBytes,
                 std::size_t cells);
void PrintPeak(const std::string& size);

// Megabytes (2^20 bytes) and millions, the units of the report.
double Megabytes(std::size_t bytes);
double Millions(std::size_t count);

// Runs one measurement. One that runs out of the 32-bit address space is
// reported as not fitting, and one that fails otherwise with its failure;
// whatever it held is freed on the way out, and the run goes on.
void Attempt(const char* what, const std::string& size, const std::function<void()>& measure);

} // namespace pagora::bench
