#include "storage/pfs.h"

#include "storage/file_header_page.h"
#include "storage/page_checksum.h"
#include "storage/page_slots.h"

namespace tessaril {
namespace {

constexpr std::uint8_t kPfsPageType = 11;
constexpr std::uint8_t kAllocatedBit = 0x40;
constexpr std::size_t kRecordHeaderSize = 4;

// The byte map of a PFS page read as stored, or nothing when the page cannot
// be trusted: it is no PFS page of its position, fails its checksum or torn
// check, or does not hold itself allocated (a zeroed map). A damaged map
// would otherwise turn the rows of every page it covers into deleted rows.
std::vector<std::uint8_t> TrustedByteMap(std::vector<std::uint8_t> page, PageId where) {
  const ByteView raw(page.data(), page.size());
  if (!CheckPageProtection(raw).intact) return {};
  const CPage_Header header(page);  // puts the torn bits back
  if (header.pageType != kPfsPageType || header.pageId != where) return {};
  // The byte map is the one record of the page, longer than any data
  // record may be: 8088 bytes after its 4-byte record header.
  const ByteView bytes(page.data(), page.size());
  const std::vector<std::uint16_t> slots = ReadSlotArray(bytes, header.slotCount);
  if (slots.empty() || slots[0] < kPageHeaderSize) return {};
  const ByteView map =
      bytes.Sub(slots[0] + kRecordHeaderSize, static_cast<std::size_t>(kPfsInterval));
  const auto self = static_cast<std::size_t>(where.pageNumber % kPfsInterval);
  if ((map.At(self) & kAllocatedBit) == 0) return {};
  return {map.data(), map.data() + map.size()};
}

}  // namespace

std::optional<std::uint32_t> PfsReader::RecordedSize(std::uint16_t fileId) {
  const auto known = recordedSizes_.find(fileId);
  if (known != recordedSizes_.end()) return known->second;
  std::optional<std::uint32_t> size;
  if (const std::optional<HeaderedPage> page = db_.ReadFileHeaderPage(fileId)) {
    const auto decoded = DecodeFileHeaderPage(ByteView(page->bytes.data(), page->bytes.size()));
    if (decoded && decoded->sizeInPages > 0) size = decoded->sizeInPages;
  }
  recordedSizes_.emplace(fileId, size);
  return size;
}

std::optional<bool> PfsReader::IsAllocated(PageId page) {
  if (page.pageNumber < 0) return std::nullopt;
  const std::optional<std::uint32_t> recorded = RecordedSize(page.fileId);
  if (recorded && static_cast<std::uint32_t>(page.pageNumber) >= *recorded) return std::nullopt;
  const std::int32_t first = page.pageNumber / kPfsInterval * kPfsInterval;
  const PageId pfs{page.fileId, first == 0 ? 1 : first};
  if (pfs != cached_) {
    cached_ = pfs;
    bytes_.clear();
    if (std::optional<std::vector<std::uint8_t>> raw = db_.ReadRawPage(pfs)) {
      bytes_ = TrustedByteMap(std::move(*raw), pfs);
    }
  }
  const auto index = static_cast<std::size_t>(page.pageNumber - first);
  if (index >= bytes_.size()) return std::nullopt;
  return (bytes_[index] & kAllocatedBit) != 0;
}

}  // namespace tessaril
