// The frame messages a scan worker sends, and the events they travel as.
#pragma once

#include <cstdint>

#include "base/events.h"

namespace tessaril {

// Each ScanEvents call is one of these frame messages (or a direct frame
// operation where the list has no number).
enum ScanMessage : std::uint32_t {
  WM_SCAN_PROGRESS_RANGE = 1028,  // ProgressRange
  WM_SCAN_STATUS_TEXT = 1029,     // StatusText
  WM_SCAN_FATAL = 1030,           // Fatal
  WM_SCAN_PROGRESS_POS = 1180,    // ProgressPos
  WM_SCAN_LOG_LINE = 1207,        // LogLine
};

}  // namespace tessaril
