#include "storage/page_slots.h"

#include <algorithm>
#include <bitset>

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

namespace {

// The record offsets met so far on one page, one bit for each byte.
using SeenOffsets = std::bitset<kPageSize>;

// Indices of slots whose offset lies outside [96, areaEnd) or repeats an
// earlier slot's. Empty slots (offset 0) are neither.
std::vector<std::size_t> BadSlots(const std::vector<std::uint16_t>& slots, std::size_t first,
                                  std::size_t areaEnd, SeenOffsets& seen) {
  std::vector<std::size_t> bad;
  areaEnd = std::min(areaEnd, kPageSize);
  for (std::size_t i = first; i < slots.size(); ++i) {
    const std::uint16_t offset = slots[i];
    if (offset == 0) continue;
    if (offset >= kPageHeaderSize && offset < areaEnd && !seen.test(offset)) {
      seen.set(offset);
      continue;
    }
    bad.push_back(i);
  }
  return bad;
}

std::vector<std::size_t> BadSlots(const std::vector<std::uint16_t>& slots, std::size_t areaEnd) {
  SeenOffsets seen;
  return BadSlots(slots, 0, areaEnd, seen);
}

std::size_t NonEmptyCount(const std::vector<std::uint16_t>& slots) {
  return slots.size() - static_cast<std::size_t>(std::count(slots.begin(), slots.end(), 0));
}

// The count claims slots inside the record area. Either the count lies or
// the free data offset does: when every slot past those that fit above the
// offset is a consistent one, the entries there form a real slot array and the
// offset is what lies.
void ResolveCountAgainstOffset(SlotArrayCheck& check, std::size_t fit) {
  const std::size_t arrayStart = kPageSize - 2 * check.slots.size();
  SeenOffsets seen;
  const std::vector<std::uint16_t> head(check.slots.begin(),
                                        check.slots.begin() + static_cast<std::ptrdiff_t>(fit));
  const bool headBad = !BadSlots(head, 0, arrayStart, seen).empty();
  const std::vector<std::size_t> tailBad = BadSlots(check.slots, fit, arrayStart, seen);
  const bool tailAllReal =
      tailBad.empty() &&
      std::count(check.slots.begin() + static_cast<std::ptrdiff_t>(fit), check.slots.end(), 0) == 0;
  if (tailAllReal && !headBad) {
    check.freeDataOffsetTrusted = false;
    check.recordAreaEnd = arrayStart;
    return;
  }
  check.countCut = true;
  check.slots.resize(fit);
  const std::vector<std::size_t> bad = BadSlots(check.slots, check.recordAreaEnd);
  if (!bad.empty()) check.slots.resize(bad.front());
  while (!check.slots.empty() && check.slots.back() == 0) check.slots.pop_back();
}

}  // namespace

SlotArrayCheck CheckSlotArray(ByteView page, int count, std::uint16_t freeDataOffset) {
  SlotArrayCheck check;
  check.slots = ReadSlotArray(page, count);
  const std::size_t arrayStart = kPageSize - 2 * check.slots.size();
  check.freeDataOffsetTrusted = freeDataOffset >= kPageHeaderSize && freeDataOffset <= kPageSize;
  check.recordAreaEnd = check.freeDataOffsetTrusted ? freeDataOffset : arrayStart;
  if (check.freeDataOffsetTrusted && freeDataOffset > arrayStart) {
    ResolveCountAgainstOffset(check, (kPageSize - freeDataOffset) / 2);
    return check;
  }
  check.badSlots = BadSlots(check.slots, check.recordAreaEnd);
  // Most slots pointing past the free data offset say the offset is wrong,
  // not the slots: the slot array's start bounds the records instead.
  if (check.freeDataOffsetTrusted && 2 * check.badSlots.size() > NonEmptyCount(check.slots)) {
    check.freeDataOffsetTrusted = false;
    check.recordAreaEnd = arrayStart;
    check.badSlots = BadSlots(check.slots, arrayStart);
  }
  return check;
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
