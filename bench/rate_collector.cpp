#include "bench/rate_collector.h"

#include <utility>

namespace tessaril::bench {

RateCollector::RateCollector(std::unique_ptr<benchmark::BenchmarkReporter> display,
                             std::string counter)
    : display_(std::move(display)), counter_(std::move(counter)) {}

bool RateCollector::ReportContext(const Context& context) {
  return display_->ReportContext(context);
}

void RateCollector::ReportRuns(const std::vector<Run>& runs) {
  display_->ReportRuns(runs);
  for (const Run& run : runs) {
    if (run.error_occurred) continue;
    const auto found = run.counters.find(counter_);
    if (found == run.counters.end()) continue;
    const std::string& name = run.run_name.function_name;
    if (run.run_type == Run::RT_Iteration) {
      lastRun_[name] = found->second.value;
    } else if (run.aggregate_name == "median") {
      median_[name] = found->second.value;
    }
  }
}

void RateCollector::Finalize() { display_->Finalize(); }

std::optional<double> RateCollector::Rate(const std::string& name) const {
  if (const auto found = median_.find(name); found != median_.end()) return found->second;
  if (const auto found = lastRun_.find(name); found != lastRun_.end()) return found->second;
  return std::nullopt;
}

}  // namespace tessaril::bench
