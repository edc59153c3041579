#include "ui/ui_events.h"

namespace tessaril::ui {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void UiEvents::ProgressRange(std::uint64_t low, std::uint64_t high) {
  emit signals_.progressRange(job_, low, high);
}

void UiEvents::ProgressPos(std::uint64_t position) { emit signals_.progressPos(job_, position); }

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
