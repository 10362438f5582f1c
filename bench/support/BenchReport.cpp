#include "support/BenchReport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace tp::bench {
namespace {
std::vector<std::pair<std::string, double>>& Figures() {
  static std::vector<std::pair<std::string, double>> figures;
  return figures;
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

void Figure(const std::string& name, double value) { Figures().emplace_back(name, value); }

double MedianSeconds(const std::function<void()>& fn, int minRuns, double minSeconds) {
  std::vector<double> times;
  double start = Now();
  while (int(times.size()) < minRuns || Now() - start < minSeconds) {
    double t0 = Now();
    fn();
    times.push_back(Now() - t0);
    if (times.size() > 100000) break;
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

double CommandSeconds(const std::string& command, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    double t0 = Now();
    if (std::system(command.c_str()) != 0) return -1;
    times.push_back(Now() - t0);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

int RunAndReport(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const auto& [name, value] : Figures()) {
    std::printf("bench %s %.4g\n", name.c_str(), value);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace tp::bench
