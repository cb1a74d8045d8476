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
  // Prints "a / b = ratio" when both ran; with repetitions, of their means.
  void printRatio(const std::string& a, const std::string& b) {
    const double* ta = time(a);
    const double* tb = time(b);
    if (ta && tb) std::printf("%-24s / %-22s = %.2f\n", a.c_str(), b.c_str(), *ta / *tb);
  }

 private:
  const double* time(const std::string& name) const {
    for (const std::string& key : {name, name + "_mean"}) {
      auto it = times_.find(key);
      if (it != times_.end()) return &it->second;
    }
    return nullptr;
  }
  std::map<std::string, double> times_;
};

}  // namespace zelko::bench
