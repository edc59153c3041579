// The scan events of one job, sent to the window as queued signals. Progress
// is thinned to what the bar can show, so a row loop does not flood the
// user-interface thread.
#pragma once

#include <chrono>
#include <cstdint>

#include "base/events.h"
#include "ui/frame_signals.h"

namespace tessaril::ui {

// Where a job's status text goes: a scan's replaces the text view; an
// export's goes to the caption bar, so the view keeps what it shows.
enum class StatusTarget { kTextView, kCaption };

class UiEvents final : public ScanEvents {
 public:
  UiEvents(FrameSignals& frameSignals, quint64 jobNumber,
           StatusTarget statusTarget = StatusTarget::kTextView)
      : signals_(frameSignals), job_(jobNumber), status_(statusTarget) {}

  void ProgressRange(std::uint64_t low, std::uint64_t high) override;
  void ProgressPos(std::uint64_t position) override;
  void StatusText(std::string_view text) override;
  void Fatal(std::string_view text, std::string_view detail) override;
  void LogLine(std::string_view text) override;
  void CaptionText(std::string_view text) override;
  void InformationBox(std::string_view text) override;
  void ProgressVisible(bool visible) override;
  void ClearViews() override;
  void JobEnded() override;

  quint64 job() const { return job_; }

 private:
  FrameSignals& signals_;
  quint64 job_;
  StatusTarget status_;
  // Progress goes out in thousandths of the range, and no more often than
  // a display can show: a row loop reports every row.
  std::uint64_t low_ = 0;
  std::uint64_t high_ = 0;
  int shown_ = -1;
  std::chrono::steady_clock::time_point lastShown_{};
};

// UTF-8 text to a QString.
QString ToQString(std::string_view text);

}  // namespace tessaril::ui
