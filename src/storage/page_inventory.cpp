#include "storage/page_inventory.h"

#include <algorithm>
#include <array>

#include "storage/page_checksum.h"
#include "storage/page_header.h"
#include "storage/sequential_pages.h"

namespace tessaril {
namespace {

constexpr std::array<std::int32_t, 22> kPrimarySystemIds = {
    1, 2, 3, 4, 5, 6, 7, 8, 13, 14, 20, 21, 34, 41, 50, 53, 54, 55, 60, 74, 99, 2187};
constexpr std::array<std::int32_t, 13> kSecondarySystemIds = {3,  4,  5,  7,  8,  13, 34,
                                                              41, 50, 54, 55, 60, 74};

// Header offsets of the fields the inventory reads.
constexpr std::size_t kPageTypeOffset = 1;
constexpr std::size_t kIndexIdOffset = 6;
constexpr std::size_t kObjectIdOffset = 24;
constexpr std::size_t kPageNumberOffset = 32;
constexpr std::size_t kFileIdOffset = 36;

bool Contains(std::span<const std::int32_t> ids, std::int32_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::size_t CountEntries(const auto& map) {
  std::size_t n = 0;
  for (const auto& [key, list] : map) n += list.size();
  return n;
}

}  // namespace

std::span<const std::int32_t> PrimarySystemObjectIds() { return kPrimarySystemIds; }
std::span<const std::int32_t> SecondarySystemObjectIds() { return kSecondarySystemIds; }

InventoryHeader ReadInventoryHeader(ByteView page) {
  InventoryHeader h;
  h.pageType = page.At(kPageTypeOffset);
  h.indexId = LoadU16(page, kIndexIdOffset);
  h.objectId = static_cast<std::int32_t>(LoadU32(page, kObjectIdOffset));
  h.fileId = LoadU16(page, kFileIdOffset);
  h.pageNumber = LoadU32(page, kPageNumberOffset);
  return h;
}

bool PageInventory::File(std::uint16_t fileId, std::uint32_t position, const InventoryHeader& h,
                         const Filing& filing) {
  const PageEntry entry{fileId == 0 ? h.fileId : fileId, position,
                        PackPageType(h.pageType, h.indexId)};
  bool system = false;
  if (h.indexId < kFirstUserIndexId && Contains(filing.systemObjectIds, h.objectId)) {
    systemPages[h.objectId].push_back(entry);
    system = true;
  }
  if (h.objectId > 0) {
    const std::uint64_t unit = AllocationUnitId(static_cast<std::uint32_t>(h.objectId), h.indexId);
    if (h.pageType == kDataPageType) {
      dataPages[unit].push_back(entry);
    } else if (h.pageType == kIamPageType && filing.fileIamPages) {
      iamPages[unit].push_back(entry);
    }
  }
  return system;
}

PageList PageInventory::DataPagesOfObject(std::int32_t objectId) const {
  PageList pages;
  for (const auto& [unit, list] : dataPages) {
    if (UnitObjectId(unit) == static_cast<std::uint32_t>(objectId)) {
      pages.insert(pages.end(), list.begin(), list.end());
    }
  }
  return pages;
}

std::size_t PageInventory::systemPageCount() const { return CountEntries(systemPages); }

std::size_t PageInventory::entryCount() const {
  return CountEntries(systemPages) + CountEntries(dataPages) + CountEntries(iamPages);
}

void PageInventory::ShrinkToFit() {
  for (auto& [id, list] : systemPages) list.shrink_to_fit();
  for (auto& [unit, list] : dataPages) list.shrink_to_fit();
  for (auto& [unit, list] : iamPages) list.shrink_to_fit();
}

void PageInventory::Clear() {
  keyedByObjectOnly = false;
  systemPages.clear();
  dataPages.clear();
  iamPages.clear();
}

namespace {

// How many whole pages from position on lie in a hole of the file (up to
// position last, inclusive); 0 when data is there or the system cannot say.
std::uint64_t HolePagesAt(const ReadOnlyFile& file, std::uint64_t dataOffset,
                          std::uint64_t position, std::uint64_t last) {
  const std::uint64_t start = dataOffset + position * kPageSize;
  const std::optional<std::uint64_t> data = file.NextDataOffset(start);
  if (!data || *data <= start) return 0;
  // Pages past the end of the file read as zeros too.
  const std::uint64_t pages =
      *data >= file.size() ? last + 1 - position : (*data - start) / kPageSize;
  return std::min(pages, last + 1 - position);
}

}  // namespace

MappingResult MapFilePages(const ReadOnlyFile& file, std::uint64_t dataOffset,
                           std::uint64_t pageCount, std::uint16_t fileId,
                           const PageInventory::Filing& filing, PageInventory& inventory,
                           ProgressSink& progress, const StopFlag& stop) {
  MappingResult result;
  ProgressStepper stepper(progress, pageCount);
  file.AdviseSequential();
  SequentialPages pages(file, dataOffset, 0, pageCount);
  for (std::uint64_t i = 0; i <= pageCount; ++i) {
    if (stop.requested()) {
      result.stopped = true;
      break;
    }
    if (i % SequentialPages::kPagesPerBlock == 0) {
      // Whole pages inside a hole of a sparse file read as zeros, which file
      // nothing: they are counted as empty pages, not read.
      const std::uint64_t holePages = HolePagesAt(file, dataOffset, i, pageCount);
      if (holePages > 0) {
        result.pageTypeCounts[0] += holePages;
        i += holePages - 1;
        pages.SkipTo(i + 1);
        progress.ProgressPos(i + 1);
        continue;
      }
    }
    const ByteView page = pages.Next();
    const InventoryHeader h = ReadInventoryHeader(page);
    ++result.pageTypeCounts[h.pageType];
    if (h.pageNumber == i && !CheckPageProtection(page).intact) {
      inventory.protectionFailures.push_back(
          {fileId == 0 ? h.fileId : fileId, static_cast<std::int32_t>(i)});
    }
    if (inventory.File(fileId, static_cast<std::uint32_t>(i), h, filing)) ++result.systemPages;
    if (result.firstSecondaryFileId == 0 && NamesSecondaryFile(h)) {
      result.firstSecondaryFileId = h.fileId;
    }
    stepper.At(i + 1);
  }
  progress.ProgressPos(pageCount);
  return result;
}

}  // namespace tessaril
