// Scan events for a terminal: log lines on stdout, progress and errors on
// stderr. The progress bar is drawn when stderr is a terminal; otherwise, when
// asked for, progress is written as plain lines (one a status or ten per cent).
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "session/scan_events.h"
#include "session/walk_damage.h"

namespace tessaril::cli {

class TerminalEvents final : public ScanEvents {
 public:
  enum class Progress { kWhenTerminal, kLines };
  explicit TerminalEvents(bool printLogLines = true, Progress progress = Progress::kWhenTerminal);
  ~TerminalEvents() override;

  void ProgressRange(std::uint64_t low, std::uint64_t high) override;
  void ProgressPos(std::uint64_t position) override;
  void StatusText(std::string_view text) override;
  void Fatal(std::string_view text, std::string_view detail) override;
  void LogLine(std::string_view text) override;
  // Shown after the status on the progress bar, at most ten times a second.
  void CaptionText(std::string_view text) override;
  // The boxes repeat what the log lines already said.
  void InformationBox(std::string_view) override {}
  void ProgressVisible(bool visible) override;
  void ClearViews() override {}

  bool fatalReported() const { return fatalReported_; }

 private:
  void Draw();
  void ClearLine();

  bool interactive_;
  bool progressLines_;
  bool printLogLines_;
  bool fatalReported_ = false;
  bool drawn_ = false;
  std::uint64_t low_ = 0;
  std::uint64_t high_ = 0;
  std::uint64_t position_ = 0;
  int lastPercent_ = -1;
  std::string status_;
  std::string caption_;
  std::chrono::steady_clock::time_point captionDrawn_;
};

// "tessaril-cli: message (detail)" on stderr.
void PrintError(std::string_view message, std::string_view detail = {});

// "tessaril-cli: warning: ..." on stderr, a line for each kind of damage a
// table's walk met; nothing for a healthy table.
void PrintDamageSummary(const WalkDamage& damage, std::string_view table = {});

}  // namespace tessaril::cli
