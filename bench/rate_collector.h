// A reporter that shows every result as the command line asked and keeps one
// rate counter of each benchmark, for a summary printed after the runs.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaril::bench {

class RateCollector final : public benchmark::BenchmarkReporter {
 public:
  // Shows results through display (the reporter --benchmark_format picks
  // when it is benchmark::CreateDefaultDisplayReporter()) and keeps the
  // counter named counter.
  RateCollector(std::unique_ptr<benchmark::BenchmarkReporter> display, std::string counter);

  bool ReportContext(const Context& context) override;
  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

  // The counter of the benchmark registered as name, as reported: the
  // median of its repetitions when it was repeated, else its last run.
  // Absent when it did not run, failed, or has no such counter.
  std::optional<double> Rate(const std::string& name) const;

 private:
  std::unique_ptr<benchmark::BenchmarkReporter> display_;
  std::string counter_;
  std::map<std::string, double> lastRun_;
  std::map<std::string, double> median_;
};

}  // namespace tessaril::bench
