// How a running scan reports to the window (or terminal) that started it.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/progress.h"

namespace tessaril {

// The frame messages a scan worker sends; each ScanEvents call below is one of
// them (or a direct frame operation where the list has no number).
enum ScanMessage : std::uint32_t {
  WM_SCAN_PROGRESS_RANGE = 1028,  // ProgressRange
  WM_SCAN_STATUS_TEXT = 1029,     // StatusText
  WM_SCAN_FATAL = 1030,           // Fatal
  WM_SCAN_PROGRESS_POS = 1180,    // ProgressPos
  WM_SCAN_LOG_LINE = 1207,        // LogLine
};

// Calls come from the worker thread, in order. An implementation that shows
// them elsewhere must queue them, never block the worker on the display.
class ScanEvents : public ProgressSink {
 public:
  // The scan cannot go on: an error box with text. detail, when not empty,
  // is the system's reason (for a terminal, not for the box).
  virtual void Fatal(std::string_view text, std::string_view detail) = 0;
  // One line of the scan log, for the log pane; the session writes the file.
  virtual void LogLine(std::string_view text) = 0;
  // Text of the caption bar.
  virtual void CaptionText(std::string_view text) = 0;
  // An information box with the application title.
  virtual void InformationBox(std::string_view text) = 0;
  virtual void ProgressVisible(bool visible) = 0;
  // The object tree and the record view are emptied.
  virtual void ClearViews() = 0;
};

}  // namespace tessaril
