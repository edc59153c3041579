// Page addresses and inventory entries.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

#include "base/byte_view.h"

namespace tessaril {

inline constexpr std::size_t kPageSize = 8192;
inline constexpr std::size_t kPageHeaderSize = 96;

// The address of a page: file id (1 = primary file) and page number, the
// page's position in its file counted from 0. Inside a page header the same
// address is stored page number first.
struct PageId {
  std::uint16_t fileId = 0;
  std::int32_t pageNumber = 0;

  friend auto operator<=>(const PageId&, const PageId&) = default;
};

// "1:153", as pages are usually written.
std::string ToString(PageId id);

// A page pointer as pages and catalog rows store it: a 32-bit page number,
// then a 16-bit file id (0:0 when the six bytes are not all there).
PageId LoadPageId(ByteView bytes, std::size_t offset);

// The address of one record: a page and a slot.
struct RecordId {
  PageId page;
  std::uint16_t slot = 0;

  friend auto operator<=>(const RecordId&, const RecordId&) = default;
};

// One page of the inventory. The 32-bit type field keeps the header's page
// type in its low byte and the header's index id in its high 16 bits, so that
// an entry knows the allocation unit it was filed under.
struct PageEntry {
  std::uint16_t fileId = 0;
  std::uint32_t pageNumber = 0;  // position in its file
  std::uint32_t pageType = 0;

  std::uint8_t type() const { return static_cast<std::uint8_t>(pageType & 0xFF); }
  std::uint16_t indexId() const { return static_cast<std::uint16_t>(pageType >> 16); }
  PageId id() const { return {fileId, static_cast<std::int32_t>(pageNumber)}; }

  friend bool operator==(const PageEntry&, const PageEntry&) = default;
};

inline constexpr std::uint32_t PackPageType(std::uint8_t type, std::uint16_t indexId) {
  return static_cast<std::uint32_t>(type) | (static_cast<std::uint32_t>(indexId) << 16);
}

// Allocation unit id as the header's object id and index id make it:
// index id << 48 | object id << 16.
inline constexpr std::uint64_t AllocationUnitId(std::uint32_t objectId, std::uint16_t indexId) {
  return (static_cast<std::uint64_t>(indexId) << 48) | (static_cast<std::uint64_t>(objectId) << 16);
}
inline constexpr std::uint32_t UnitObjectId(std::uint64_t unitId) {
  return static_cast<std::uint32_t>(unitId >> 16);
}
inline constexpr std::uint16_t UnitIndexId(std::uint64_t unitId) {
  return static_cast<std::uint16_t>(unitId >> 48);
}

}  // namespace tessaril
