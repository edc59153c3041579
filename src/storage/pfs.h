// Page free space (PFS) pages: one byte for each page of an interval of 8088
// pages, whose 0x40 bit says whether the page is allocated. A page that is no
// longer allocated keeps its old header and rows; they are deleted rows.
#pragma once

#include <cstdint>
#include <map>
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
  // a byte map that does not hold the PFS page itself allocated; nothing too
  // for a page at or past the size its file's header page records: the maps
  // were kept for a file of that size and say nothing of pages it holds past
  // it (their bytes read as free).
  std::optional<bool> IsAllocated(PageId page);

 private:
  // The size in pages the header page of the file records; nothing when it
  // cannot be read or records none.
  std::optional<std::uint32_t> RecordedSize(std::uint16_t fileId);

  const DatabaseFile& db_;
  std::map<std::uint16_t, std::optional<std::uint32_t>> recordedSizes_;
  PageId cached_{0, -1};
  std::vector<std::uint8_t> bytes_;  // the PFS page's byte map, empty when unreadable
};

}  // namespace tessaril
