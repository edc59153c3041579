// The events a session job sends: the shell's events, with every log line
// also written to the scan log file, and bursts of captions (a row loop
// sends one a row) thinned to what a display can show: the last one always
// gets through, before any other report that follows it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "base/events.h"
#include "session/scan_log.h"

namespace tessaril {

class SessionEvents final : public ScanEvents {
 public:
  // log may be null: no scan log file.
  SessionEvents(ScanEvents& shell, ScanLog* log) : shell_(shell), log_(log) {}
  ~SessionEvents() override { Flush(); }
  SessionEvents(const SessionEvents&) = delete;
  SessionEvents& operator=(const SessionEvents&) = delete;

  void ProgressRange(std::uint64_t low, std::uint64_t high) override;
  void ProgressPos(std::uint64_t position) override;
  void StatusText(std::string_view text) override;
  void Fatal(std::string_view text, std::string_view detail) override;
  void LogLine(std::string_view text) override;
  void LogFileLine(std::string_view text) override;
  void CaptionText(std::string_view text) override;
  void InformationBox(std::string_view text) override;
  void ProgressVisible(bool visible) override;
  void ClearViews() override;
  void JobEnded() override;

  // Sends what is held back.
  void Flush();

 private:
  // True when enough time has passed since the last caption sent.
  bool Due();

  ScanEvents& shell_;
  ScanLog* log_;
  std::optional<std::string> pendingCaption_;
  std::chrono::steady_clock::time_point lastSent_{};
};

}  // namespace tessaril
