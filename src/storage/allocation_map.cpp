#include "storage/allocation_map.h"

#include <algorithm>
#include <limits>

#include "storage/database_file.h"
#include "storage/page_header.h"
#include "storage/page_slots.h"

namespace tessaril {
namespace {

constexpr int kHeaderSlot = 0;
constexpr int kBitmapSlot = 1;

// Offsets in the data of the IAM header record (slot 0). Every page pointer
// is six bytes: a 32-bit page number, then a 16-bit file id.
constexpr std::size_t kSequenceNumberOffset = 0;
constexpr std::size_t kStartPageOffset = 36;
constexpr std::size_t kSinglePageSlotsOffset = 42;
constexpr std::size_t kPagePointerSize = 6;

// The fixed data of the record in slot, or nothing when the page has no such slot.
ByteView SlotData(ByteView page, std::uint16_t slotCount, int slot) {
  const std::vector<std::uint16_t> slots = ReadSlotArray(page, slotCount);
  if (slot >= static_cast<int>(slots.size())) return {};
  return RecordFixedData(page, slots[static_cast<std::size_t>(slot)]);
}

}  // namespace

bool InsideFile(PageId page, const FilePageCounts& files) {
  const auto file = files.find(page.fileId);
  return file != files.end() && page.pageNumber > 0 &&
         static_cast<std::uint64_t>(page.pageNumber) < file->second;
}

std::array<PageId, kPagesPerExtent> Extent::Pages() const {
  std::array<PageId, kPagesPerExtent> pages{};
  for (std::int32_t i = 0; i < kPagesPerExtent; ++i) {
    pages[static_cast<std::size_t>(i)] = {first.fileId, first.pageNumber + i};
  }
  return pages;
}

FilePageCounts PageCountsOf(const DatabaseFile& db) {
  FilePageCounts counts{{1, db.pageCount()}};
  for (const auto& [fileId, row] : db.secondaryFiles()) {
    if (fileId > 1) counts[fileId] = row.pageCount;
  }
  return counts;
}

ExtentAllocationMap::ExtentAllocationMap(ByteView page) {
  const CPage_Header header = CPage_Header::Peek(page.span());
  pageId_ = header.pageId;
  const ByteView bitmap = SlotData(page, header.slotCount, kBitmapSlot);
  const ByteView kept = bitmap.Sub(0, kMaxBitmapBytes);
  bitmap_.assign(kept.data(), kept.data() + kept.size());
}

bool ExtentAllocationMap::ExtentAllocated(std::size_t i) const {
  if (i / 8 >= bitmap_.size()) return false;
  return ((bitmap_[i / 8] >> (i % 8)) & 1) != 0;
}

std::vector<Extent> ExtentAllocationMap::ExtentsFrom(PageId intervalStart,
                                                     const FilePageCounts& files) const {
  std::vector<Extent> extents;
  const auto file = files.find(intervalStart.fileId);
  if (file == files.end() || intervalStart.pageNumber < 0) return extents;
  // Page numbers are 64-bit here: the last interval of a huge file ends past INT32_MAX.
  const auto firstLimit = std::min<std::uint64_t>(
      file->second,
      static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) - (kPagesPerExtent - 1));
  for (std::size_t i = 0; i < bitCount(); ++i) {
    if (i % 8 == 0 && bitmap_[i / 8] == 0) {  // eight extents none of which is allocated
      i += 7;
      continue;
    }
    if (!ExtentAllocated(i)) continue;
    const std::uint64_t first = static_cast<std::uint64_t>(intervalStart.pageNumber) +
                                static_cast<std::uint64_t>(kPagesPerExtent) * i;
    if (first >= firstLimit) break;  // later extents lie further out still
    const auto number = static_cast<std::int32_t>(first);
    extents.push_back(
        {{intervalStart.fileId, number}, {intervalStart.fileId, number + kPagesPerExtent - 1}});
  }
  return extents;
}

IamPage::IamPage(ByteView page) : ExtentAllocationMap(page) {
  const CPage_Header header = CPage_Header::Peek(page.span());
  const ByteView data = SlotData(page, header.slotCount, kHeaderSlot);
  sequenceNumber = LoadU32(data, kSequenceNumberOffset);
  startPage = LoadPageId(data, kStartPageOffset);
  for (std::size_t k = 0; k < kSinglePageSlots; ++k) {
    singlePageSlots[k] = LoadPageId(data, kSinglePageSlotsOffset + kPagePointerSize * k);
  }
  startPageRejected = startPage.fileId == 0 || startPage.pageNumber < 0 ||
                      startPage.pageNumber % kAllocationIntervalPages != 0;
}

PageId IamPage::intervalStart() const {
  if (!startPageRejected) return startPage;
  const PageId own = pageId();
  const std::int32_t number = own.pageNumber < 0 ? 0 : own.pageNumber;
  return {own.fileId, number / kAllocationIntervalPages * kAllocationIntervalPages};
}

std::vector<Extent> IamPage::Extents(const FilePageCounts& files) const {
  return ExtentsFrom(intervalStart(), files);
}

std::vector<PageId> IamPage::SinglePages() const {
  std::vector<PageId> pages;
  for (const PageId& slot : singlePageSlots) {
    if (slot != PageId{0, 0}) pages.push_back(slot);
  }
  return pages;
}

std::vector<PageId> IamPage::ListedPages(const FilePageCounts& files) const {
  std::vector<PageId> pages;
  for (const PageId& single : SinglePages()) {
    if (InsideFile(single, files)) pages.push_back(single);
  }
  for (const Extent& extent : Extents(files)) {
    const auto extentPages = extent.Pages();
    pages.insert(pages.end(), extentPages.begin(), extentPages.end());
  }
  return pages;
}

}  // namespace tessaril
