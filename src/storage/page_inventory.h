// The page inventory: every page of every data file filed under the
// allocation unit its header names, because the allocation structures of a
// damaged file are not trusted.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "base/byte_view.h"
#include "base/progress.h"
#include "base/stop_flag.h"
#include "storage/page_header.h"
#include "storage/page_id.h"
#include "storage/read_only_file.h"

namespace tessaril {

inline constexpr const char* kMappingText = "Mapping Database Objects...........";
inline constexpr const char* kMappingDoneText =
    "Mapping of Database Objects has been done ......................";

// Object ids of the base system tables looked for in each kind of file.
std::span<const std::int32_t> PrimarySystemObjectIds();
std::span<const std::int32_t> SecondarySystemObjectIds();

// Base system table pages carry index ids below this; user allocation units
// carry 256 and up, even when their header object id equals a system table's.
inline constexpr std::uint16_t kFirstUserIndexId = 256;

using PageList = std::vector<PageEntry>;

// Header fields the inventory reads.
struct InventoryHeader {
  std::uint8_t pageType = 0;
  std::uint16_t indexId = 0;
  std::int32_t objectId = 0;
  std::uint16_t fileId = 0;
  std::uint32_t pageNumber = 0;
};
InventoryHeader ReadInventoryHeader(ByteView page);
// A data page of a user table whose header names a secondary file: what
// tells which file id a secondary file holds.
inline bool NamesSecondaryFile(const InventoryHeader& h) {
  return h.pageType == kDataPageType && h.objectId > 0 && h.fileId > 1;
}

class PageInventory {
 public:
  // Pages of the base system tables, by header object id (index id below 256).
  std::map<std::int32_t, PageList> systemPages;
  // Data pages (type 1) with a header object id above 0, by allocation unit id.
  std::map<std::uint64_t, PageList> dataPages;
  // IAM pages (type 10) with a header object id above 0, by allocation unit id.
  std::map<std::uint64_t, PageList> iamPages;
  // True when the entries carry no header index id (an inventory from a
  // snapshot of an older writer): pages are then filed under their header
  // object id with index id 0, and a unit finds its pages by object id alone.
  bool keyedByObjectOnly = false;
  // Pages that fail their checksum or torn-bit check as the file is mapped,
  // in file order: pages that lie where their header says, allocated or not.
  std::vector<PageId> protectionFailures;

  // The key a unit's pages are filed under in dataPages and iamPages.
  std::uint64_t KeyOfUnit(std::uint64_t unitId) const {
    return keyedByObjectOnly ? AllocationUnitId(UnitObjectId(unitId), 0) : unitId;
  }
  // Whether the page's header names one of these units (keys as KeyOfUnit
  // gives them); any unit when keys is empty.
  bool NamesOneOf(const CPage_Header& header, std::span<const std::uint64_t> keys) const {
    if (keys.empty()) return true;
    const std::uint64_t key = KeyOfUnit(header.allocationUnitId());
    for (const std::uint64_t k : keys) {
      if (k == key) return true;
    }
    return false;
  }

  // The rules of one kind of file: which object ids are base system tables
  // there, and whether its IAM pages are filed.
  struct Filing {
    std::span<const std::int32_t> systemObjectIds;
    bool fileIamPages = true;
  };
  // Files the page at position whose header says h. fileId is the id recorded
  // in the entry; 0 keeps the header's. Returns true when the page went into
  // the system page map.
  bool File(std::uint16_t fileId, std::uint32_t position, const InventoryHeader& h,
            const Filing& filing);

  // All pages whose header object id is objectId, whatever their index id, in
  // unit order (SQL Server 2000 files name tables, not units, in headers).
  PageList DataPagesOfObject(std::int32_t objectId) const;

  // Gives back the room the lists grew into while pages were filed.
  void ShrinkToFit();

  std::size_t systemPageCount() const;
  std::size_t entryCount() const;  // entries over all three maps
  void Clear();
};

// Reads positions 0 to pageCount (inclusive) of a file, front to back, and
// files each page. fileId is the id recorded in every entry; 0 keeps the id
// each page's header carries. Stops early on a stop request.
struct MappingResult {
  std::uint64_t systemPages = 0;
  // Pages read, by header page type (all zero pages count as type 0).
  std::array<std::uint64_t, 256> pageTypeCounts{};
  // Header file id of the first data page whose header file id is above 1.
  std::uint16_t firstSecondaryFileId = 0;
  bool stopped = false;
};
MappingResult MapFilePages(const ReadOnlyFile& file, std::uint64_t dataOffset,
                           std::uint64_t pageCount, std::uint16_t fileId,
                           const PageInventory::Filing& filing, PageInventory& inventory,
                           ProgressSink& progress, const StopFlag& stop);

}  // namespace tessaril
