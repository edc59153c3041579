#include "storage/pfs.h"

#include "storage/page_slots.h"

namespace tessaril {
namespace {

constexpr std::uint8_t kPfsPageType = 11;
constexpr std::uint8_t kAllocatedBit = 0x40;
constexpr std::size_t kRecordHeaderSize = 4;

}  // namespace

std::optional<bool> PfsReader::IsAllocated(PageId page) {
  if (page.pageNumber < 0) return std::nullopt;
  const std::int32_t first = page.pageNumber / kPfsInterval * kPfsInterval;
  const PageId pfs{page.fileId, first == 0 ? 1 : first};
  if (pfs != cached_) {
    cached_ = pfs;
    bytes_.clear();
    if (const std::optional<HeaderedPage> read = db_.ReadPage(pfs);
        read && read->header.pageType == kPfsPageType) {
      // The byte map is the one record of the page, longer than any data
      // record may be: 8088 bytes after its 4-byte record header.
      const ByteView bytes(read->bytes.data(), read->bytes.size());
      const std::vector<std::uint16_t> slots = ReadSlotArray(bytes, read->header.slotCount);
      const ByteView map =
          slots.empty() || slots[0] < kPageHeaderSize
              ? ByteView()
              : bytes.Sub(slots[0] + kRecordHeaderSize, static_cast<std::size_t>(kPfsInterval));
      bytes_.assign(map.data(), map.data() + map.size());
    }
  }
  const auto index = static_cast<std::size_t>(page.pageNumber - first);
  if (index >= bytes_.size()) return std::nullopt;
  return (bytes_[index] & kAllocatedBit) != 0;
}

}  // namespace tessaril
