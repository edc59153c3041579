// The one stream of reports a running job sends to the shell that started
// it: progress, status text, log lines, the caption, boxes and the job's end.
// Scans, tree builds, the object viewer, the record pager and exports all
// report through it; lower layers see only its progress face (ProgressSink).
#pragma once

#include <cstdint>
#include <string_view>

#include "base/progress.h"

namespace tessaril {

// Calls come from the worker thread, in order. An implementation that shows
// them elsewhere must queue them, never block the worker on the display.
// Every call does nothing unless overridden, so a headless walk can report
// to a plain ScanEvents.
class ScanEvents : public ProgressSink {
 public:
  void ProgressRange(std::uint64_t, std::uint64_t) override {}
  void ProgressPos(std::uint64_t) override {}
  void StatusText(std::string_view) override {}
  // The job cannot go on: an error box with text. detail, when not empty,
  // is the system's reason (for a terminal, not for the box).
  virtual void Fatal(std::string_view /*text*/, std::string_view /*detail*/) {}
  // One line of the log: the log pane, and the scan log file when the
  // session keeps one.
  virtual void LogLine(std::string_view) {}
  // A line for the scan log file alone (the pane does not show it).
  virtual void LogFileLine(std::string_view) {}
  // Text of the caption bar.
  virtual void CaptionText(std::string_view) {}
  // An information box with the application title.
  virtual void InformationBox(std::string_view) {}
  virtual void ProgressVisible(bool) {}
  // The object tree and the record view are emptied.
  virtual void ClearViews() {}
  // The job that reported has ended; nothing follows from it.
  virtual void JobEnded() {}
};

}  // namespace tessaril
