// The checks one page passes on its own: its protection, its header's
// numbers and its slot array.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "damage/damage_report.h"
#include "storage/page_header.h"

namespace tessaril {

// What one page told about itself.
struct PageExamination {
  bool zero = false;
  // Set when the bytes are no page of this position: the header names another.
  std::optional<std::string> notAPage;
  CPage_Header header = CPage_Header::Peek({});
  bool checksumProtected = false;
  bool tornBitProtected = false;
  std::size_t consistentSlots = 0;
  std::vector<std::pair<DamageKind, std::string>> faults;
};

// Examines the page as stored at position where. page is changed: its torn
// bits are put back before the slot array is read.
PageExamination ExaminePage(std::span<std::uint8_t, kPageSize> page, PageId where);

}  // namespace tessaril
