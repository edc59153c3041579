#include "ui/ui_events.h"

#include <algorithm>

namespace tessaril::ui {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

namespace {
constexpr auto kProgressInterval = std::chrono::milliseconds(20);
}  // namespace

void UiEvents::ProgressRange(std::uint64_t low, std::uint64_t high) {
  low_ = low;
  high_ = high;
  shown_ = 0;
  lastShown_ = std::chrono::steady_clock::now();
  emit signals_.progressPos(job_, 0);
}

void UiEvents::ProgressPos(std::uint64_t position) {
  const std::uint64_t span = high_ > low_ ? high_ - low_ : 0;
  const std::uint64_t done = position > low_ ? position - low_ : 0;
  const int thousandths =
      span == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(done, span) * 1000 / span);
  const auto now = std::chrono::steady_clock::now();
  if (thousandths == shown_ || (thousandths < 1000 && now - lastShown_ < kProgressInterval)) {
    return;
  }
  shown_ = thousandths;
  lastShown_ = now;
  emit signals_.progressPos(job_, thousandths);
}

void UiEvents::StatusText(std::string_view text) {
  if (status_ == StatusTarget::kCaption) {
    emit signals_.captionText(job_, ToQString(text));
  } else {
    emit signals_.statusText(job_, ToQString(text));
  }
}

void UiEvents::Fatal(std::string_view text, std::string_view) {
  emit signals_.fatal(job_, ToQString(text));
}

void UiEvents::LogLine(std::string_view text) { emit signals_.logLine(job_, ToQString(text)); }

void UiEvents::CaptionText(std::string_view text) {
  emit signals_.captionText(job_, ToQString(text));
}

void UiEvents::InformationBox(std::string_view text) {
  emit signals_.informationBox(job_, ToQString(text));
}

void UiEvents::ProgressVisible(bool visible) { emit signals_.progressVisible(job_, visible); }

void UiEvents::ClearViews() { emit signals_.clearViews(job_); }

void UiEvents::JobEnded() { emit signals_.jobEnded(job_); }

}  // namespace tessaril::ui
