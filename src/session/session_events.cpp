#include "session/session_events.h"

namespace tessaril {
namespace {

// About 25 caption updates a second at most.
constexpr std::chrono::milliseconds kThinningInterval{40};

}  // namespace

bool SessionEvents::Due() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastSent_ < kThinningInterval) return false;
  lastSent_ = now;
  return true;
}

void SessionEvents::Flush() {
  if (pendingCaption_) shell_.CaptionText(*pendingCaption_);
  pendingCaption_.reset();
}

void SessionEvents::ProgressRange(std::uint64_t low, std::uint64_t high) {
  Flush();
  shell_.ProgressRange(low, high);
}

// The caption bar and the progress bar are apart: a held caption may wait
// past a position.
void SessionEvents::ProgressPos(std::uint64_t position) { shell_.ProgressPos(position); }

void SessionEvents::CaptionText(std::string_view text) {
  if (Due()) {
    pendingCaption_.reset();
    shell_.CaptionText(text);
  } else {
    pendingCaption_ = std::string(text);
  }
}

void SessionEvents::StatusText(std::string_view text) {
  Flush();
  shell_.StatusText(text);
}

void SessionEvents::Fatal(std::string_view text, std::string_view detail) {
  Flush();
  shell_.Fatal(text, detail);
}

void SessionEvents::LogLine(std::string_view text) {
  if (log_ != nullptr) log_->Line(text);
  Flush();
  shell_.LogLine(text);
}

void SessionEvents::LogFileLine(std::string_view text) {
  if (log_ != nullptr) log_->Line(text);
}

void SessionEvents::InformationBox(std::string_view text) {
  Flush();
  shell_.InformationBox(text);
}

void SessionEvents::ProgressVisible(bool visible) {
  Flush();
  shell_.ProgressVisible(visible);
}

void SessionEvents::ClearViews() {
  Flush();
  shell_.ClearViews();
}

void SessionEvents::JobEnded() {
  Flush();
  shell_.JobEnded();
}

}  // namespace tessaril
