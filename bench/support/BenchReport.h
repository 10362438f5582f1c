#pragma once
// Headline figures for `make bench`: each group measures what it reports in the same run
// (ratios against a baseline such as memcpy) and prints "bench NAME VALUE" lines at the end.
#include <functional>
#include <string>

namespace tp::bench {

// Records a figure; printed as "bench NAME VALUE" after Google Benchmark's table.
void Figure(const std::string& name, double value);

// Median seconds per call of fn over at least minRuns calls and minSeconds of wall time.
double MedianSeconds(const std::function<void()>& fn, int minRuns = 5, double minSeconds = 0.3);

// Seconds of wall time a shell command takes (median of runs); -1 when it fails.
double CommandSeconds(const std::string& command, int runs = 3);

// Runs the registered Google Benchmarks, then prints the figures. Use from main().
int RunAndReport(int argc, char** argv);

}  // namespace tp::bench

#define TIDEPOOL_BENCH_MAIN() \
  int main(int argc, char** argv) { return tp::bench::RunAndReport(argc, argv); }
