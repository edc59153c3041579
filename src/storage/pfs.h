// Page free space (PFS) pages: one byte for each page of an interval of 8088
// pages, whose 0x40 bit says whether the page is allocated. A page that is no
// longer allocated keeps its old header and rows; they are deleted rows.
#pragma once

#include <optional>
#include <vector>

#include "storage/database_file.h"

namespace tessaril {

inline constexpr std::int32_t kPfsInterval = 8088;

// Reads PFS pages as they are needed and keeps the last one.
class PfsReader {
 public:
  explicit PfsReader(const DatabaseFile& db) : db_(db) {}
  // Whether the page is allocated; nothing when its PFS page cannot be read,
  // is no PFS page of its position, fails its checksum or torn check, or has
  // a byte map that does not hold the PFS page itself allocated.
  std::optional<bool> IsAllocated(PageId page);

 private:
  const DatabaseFile& db_;
  PageId cached_{0, -1};
  std::vector<std::uint8_t> bytes_;  // the PFS page's byte map, empty when unreadable
};

}  // namespace tessaril
