// Allocation map pages. One bit per extent of eight pages says which extents
// of a 511,232-page interval of one file belong to something. An IAM page
// keeps such a bitmap for one allocation unit and adds a header naming the
// interval it covers and up to eight single pages the unit owns outside its
// extents.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "base/byte_view.h"
#include "storage/page_id.h"

namespace tessaril {

class DatabaseFile;

inline constexpr std::int32_t kPagesPerExtent = 8;
// Pages covered by one allocation map page: 63,904 extents.
inline constexpr std::int32_t kAllocationIntervalPages = 511232;
inline constexpr std::size_t kMaxBitmapBytes = 7988;
inline constexpr std::size_t kSinglePageSlots = 8;

// One extent: eight consecutive pages of one file.
struct Extent {
  PageId first;
  PageId last;

  std::array<PageId, kPagesPerExtent> Pages() const;
  friend bool operator==(const Extent&, const Extent&) = default;
};

// Page counts of a database's files by file id; a file missing here has no
// pages to offer.
using FilePageCounts = std::map<std::uint16_t, std::uint64_t>;
// File 1 with the primary file's page count, and every secondary file found.
FilePageCounts PageCountsOf(const DatabaseFile& db);
// True when page lies inside its file: above page 0 and below the file's count.
bool InsideFile(PageId page, const FilePageCounts& files);

class ExtentAllocationMap {
 public:
  // Decodes the page bytes, torn bits already restored. Slot 1 holds the
  // bitmap record; a page with fewer than two slots, or whose bitmap record
  // has no data, maps nothing.
  explicit ExtentAllocationMap(ByteView page);

  // Where the page's header says it lies.
  PageId pageId() const { return pageId_; }
  // Extents the bitmap describes (eight per bitmap byte, at most 63,904).
  std::size_t bitCount() const { return bitmap_.size() * 8; }
  // Bit i, least significant bit of each byte first; false past bitCount().
  bool ExtentAllocated(std::size_t i) const;

  // The allocated extents of the interval that starts at intervalStart, in
  // that page's file. An extent is left out when it does not start inside
  // its file (an unknown file gives none); one that starts inside but runs
  // past the end is kept, so a file cut short keeps the pages it still has.
  std::vector<Extent> ExtentsFrom(PageId intervalStart, const FilePageCounts& files) const;

 private:
  PageId pageId_;
  std::vector<std::uint8_t> bitmap_;
};

class IamPage : public ExtentAllocationMap {
 public:
  // As ExtentAllocationMap, plus the header from slot 0's data. A missing or
  // short header record reads as zeros.
  explicit IamPage(ByteView page);

  std::uint32_t sequenceNumber = 0;
  // The first page of the interval the bitmap covers, as stored.
  PageId startPage;
  // Empty slots hold 0:0.
  std::array<PageId, kSinglePageSlots> singlePageSlots{};
  // True when the stored start page is no interval start (its page number is
  // not a multiple of 511,232, or it names file 0), so intervalStart() falls
  // back to the interval this IAM page itself lies in.
  bool startPageRejected = false;

  // The interval the bitmap covers. IAM pages are stored wherever a page was
  // free, in any file of the filegroup, so this comes from the header and not
  // from where the page lies, unless the header is unusable.
  PageId intervalStart() const;
  std::vector<Extent> Extents(const FilePageCounts& files) const;
  // The non-empty single-page slots, in slot order.
  std::vector<PageId> SinglePages() const;
  // Every page the IAM page gives its unit: the single pages that lie inside
  // their file, then every page of every allocated extent.
  std::vector<PageId> ListedPages(const FilePageCounts& files) const;
};

}  // namespace tessaril
