// Benchmarks report ratios against a baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zelko::bench {

// Prints the console report and keeps each benchmark's time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& r : runs) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  // Prints "a / b = ratio" when both ran.
  void printRatio(const std::string& a, const std::string& b) {
    if (times_.count(a) && times_.count(b)) {
      std::printf("%-24s / %-22s = %.2f\n", a.c_str(), b.c_str(), times_[a] / times_[b]);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace zelko::bench
