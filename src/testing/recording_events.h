// Test support: events that keep what a job reports, in order. Safe to read
// from the test's thread while a worker reports.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/events.h"

namespace tessaril::testing {

class RecordingEvents : public ScanEvents {
 public:
  // Called as reports come, on the reporting thread.
  std::function<void(std::uint64_t)> onProgress;
  std::function<void(std::string_view)> onLogLine;

  void ProgressPos(std::uint64_t position) override {
    if (onProgress) onProgress(position);
  }
  void StatusText(std::string_view text) override { Keep(statuses_, text); }
  void Fatal(std::string_view text, std::string_view) override { Keep(fatals_, text); }
  void LogLine(std::string_view text) override {
    Keep(logLines_, text);
    if (onLogLine) onLogLine(text);
  }
  void LogFileLine(std::string_view text) override { Keep(fileLines_, text); }
  void CaptionText(std::string_view text) override { Keep(captions_, text); }
  void InformationBox(std::string_view text) override { Keep(boxes_, text); }
  void ProgressVisible(bool visible) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    progressVisible_ = visible;
  }
  void JobEnded() override {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++jobsEnded_;
  }

  std::vector<std::string> logLines() const { return Copy(logLines_); }
  std::vector<std::string> fileLines() const { return Copy(fileLines_); }
  std::vector<std::string> captions() const { return Copy(captions_); }
  std::vector<std::string> fatals() const { return Copy(fatals_); }
  std::vector<std::string> boxes() const { return Copy(boxes_); }
  std::vector<std::string> statuses() const { return Copy(statuses_); }
  bool progressVisible() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return progressVisible_;
  }
  int jobsEnded() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return jobsEnded_;
  }
  // Starts afresh: the lists emptied and the callbacks dropped.
  void Clear() {
    onProgress = nullptr;
    onLogLine = nullptr;
    const std::lock_guard<std::mutex> lock(mutex_);
    for (auto* list : {&logLines_, &fileLines_, &captions_, &fatals_, &boxes_, &statuses_}) {
      list->clear();
    }
  }

 private:
  void Keep(std::vector<std::string>& list, std::string_view text) {
    const std::lock_guard<std::mutex> lock(mutex_);
    list.emplace_back(text);
  }
  std::vector<std::string> Copy(const std::vector<std::string>& list) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return list;
  }

  mutable std::mutex mutex_;
  std::vector<std::string> logLines_, fileLines_, captions_, fatals_, boxes_, statuses_;
  bool progressVisible_ = false;
  int jobsEnded_ = 0;
};

}  // namespace tessaril::testing
