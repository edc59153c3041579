// The checks one page passes on its own: its protection, its header's
// numbers and its slot array.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "damage/damage_report.h"
#include "storage/page_header.h"
#include "storage/page_id.h"

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
  // Where the page's large-object links lead: the in-row roots of a data
  // page's records, the nodes and roots of a text page.
  std::vector<RecordId> lobTargets;
};

// Examines the page as stored at position where. page is changed: its torn
// bits are put back before the slot array is read.
PageExamination ExaminePage(std::span<std::uint8_t, kPageSize> page, PageId where);

}  // namespace tessaril
