#include "storage/page_slots.h"

#include "storage/page_id.h"

namespace tessaril {
namespace {

constexpr std::size_t kLastSlotOffset = kPageSize - 2;
constexpr std::size_t kRecordHeaderSize = 4;
constexpr int kMaxFixedLength = 8060;

}  // namespace

std::vector<std::uint16_t> ReadSlotArray(ByteView page, int count) {
  std::vector<std::uint16_t> slots;
  if (count <= 0 || count >= kSlotLimit) return slots;
  slots.reserve(static_cast<std::size_t>(count));
  for (int j = 0; j < count; ++j) {
    slots.push_back(LoadU16(page, kLastSlotOffset - 2 * static_cast<std::size_t>(j)));
  }
  return slots;
}

ByteView RecordFixedData(ByteView page, std::size_t offset) {
  if (offset < kPageHeaderSize || offset >= page.size()) return {};
  const int fixedLength =
      static_cast<int>(LoadU16(page, offset + 2)) - static_cast<int>(kRecordHeaderSize);
  if (fixedLength <= 0 || fixedLength >= kMaxFixedLength) return {};
  const std::size_t start = offset + kRecordHeaderSize;
  if (!page.Contains(start, static_cast<std::size_t>(fixedLength))) return {};
  return page.Sub(start, static_cast<std::size_t>(fixedLength));
}

}  // namespace tessaril
