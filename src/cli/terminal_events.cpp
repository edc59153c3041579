#include "cli/terminal_events.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>

namespace tessaril::cli {

TerminalEvents::TerminalEvents(bool printLogLines, Progress progress)
    : interactive_(::isatty(STDERR_FILENO) == 1),
      progressLines_(progress == Progress::kLines && !interactive_),
      printLogLines_(printLogLines) {}

TerminalEvents::~TerminalEvents() { ClearLine(); }

void TerminalEvents::ProgressRange(std::uint64_t low, std::uint64_t high) {
  low_ = low;
  high_ = high;
  position_ = low;
  lastPercent_ = -1;
  Draw();
}

void TerminalEvents::ProgressPos(std::uint64_t position) {
  position_ = position;
  Draw();
}

void TerminalEvents::StatusText(std::string_view text) {
  status_ = text;
  caption_.clear();
  lastPercent_ = -1;
  Draw();
}

void TerminalEvents::CaptionText(std::string_view text) {
  if (!interactive_) return;
  // Long enough for "[dbo].[Order Details]: 12000 rows written"; a longer
  // caption (a file's path) is cut at a character's start.
  constexpr std::size_t kShown = 48;
  std::size_t cut = std::min(text.size(), kShown);
  while (cut < text.size() && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  caption_ = text.substr(0, cut);
  const auto now = std::chrono::steady_clock::now();
  if (now - captionDrawn_ < std::chrono::milliseconds(100)) return;
  captionDrawn_ = now;
  lastPercent_ = -1;
  Draw();
}

void TerminalEvents::Fatal(std::string_view text, std::string_view detail) {
  ClearLine();
  fatalReported_ = true;
  PrintError(text, detail);
}

void TerminalEvents::LogLine(std::string_view text) {
  if (!printLogLines_) return;
  ClearLine();
  std::cout << text << '\n' << std::flush;
}

void TerminalEvents::ProgressVisible(bool visible) {
  if (!visible) ClearLine();
}

void TerminalEvents::Draw() {
  if (!interactive_ && !progressLines_) return;
  const std::uint64_t span = high_ > low_ ? high_ - low_ : 0;
  const std::uint64_t done = position_ > low_ ? position_ - low_ : 0;
  const int percent =
      span == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(done, span) * 100 / span);
  if (progressLines_) {
    // A log reader wants a line when something changes, not a hundred.
    if (lastPercent_ >= 0 && percent / 10 == lastPercent_ / 10) return;
    lastPercent_ = percent;
    std::cerr << "progress: " << percent << "% " << status_ << '\n' << std::flush;
    return;
  }
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  std::cerr << "\r\033[K[" << std::string(static_cast<std::size_t>(filled), '#')
            << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << percent
            << "% " << status_ << (caption_.empty() ? "" : " - ") << caption_ << std::flush;
  drawn_ = true;
}

void TerminalEvents::ClearLine() {
  if (!drawn_) return;
  std::cerr << "\r\033[K" << std::flush;
  drawn_ = false;
  lastPercent_ = -1;
}

void PrintError(std::string_view message, std::string_view detail) {
  std::cerr << "tessaril-cli: " << message;
  if (!detail.empty()) std::cerr << " (" << detail << ")";
  std::cerr << '\n';
}

void PrintDamageSummary(const WalkDamage& damage, std::string_view table) {
  for (const std::string& line : DamageSummary(damage)) {
    std::cerr << "tessaril-cli: warning: ";
    if (!table.empty()) std::cerr << table << ": ";
    std::cerr << line << '\n';
  }
}

}  // namespace tessaril::cli
