// The slot array at the end of a page, and the fixed part of the record a
// slot points to.
#pragma once

#include <cstdint>
#include <vector>

#include "base/byte_view.h"

namespace tessaril {

// Slot counts of 4000 and up (and 0 or negative) mean no slot array.
inline constexpr int kSlotLimit = 4000;

// Slot j is the 16-bit offset at page bytes 8190 - 2j; slot 0 is the last two
// bytes of the page and the array grows toward the header. Empty when count
// is not 1..3999; slots the page cannot hold read 0.
std::vector<std::uint16_t> ReadSlotArray(ByteView page, int count);

// The slot array of a page of records held against the header's free data
// offset. Records lie from the end of the header up to the free data offset;
// the slot array lies at the end of the page, above it.
struct SlotArrayCheck {
  // The slots kept, in slot order: the header's count, or fewer when it
  // claims more slots than fit above the free data offset.
  std::vector<std::uint16_t> slots;
  // Where the record area ends: the free data offset, or the start of the
  // slot array when the offset is impossible (below 96 or past the page) or
  // contradicted by the slots.
  std::size_t recordAreaEnd = 0;
  bool freeDataOffsetTrusted = false;
  // The header's count claimed slots inside the record area: the array was
  // cut at the last slot that is consistent.
  bool countCut = false;
  // Indices of kept slots whose offset lies outside the record area or
  // repeats an earlier slot's (an empty slot, offset 0, is neither).
  std::vector<std::size_t> badSlots;
};

// Reads and checks the slot array. A count that ReadSlotArray refuses gives
// no slots. When the count claims slots inside the record area and the
// entries there are no slot array, the count is cut to the slots that fit,
// the array ends before the first slot that is bad, and empty slots at its
// end are dropped; when they are one, the free data offset is what lies.
SlotArrayCheck CheckSlotArray(ByteView page, int count, std::uint16_t freeDataOffset);

// The fixed-length data of the record at offset: the bytes from offset + 4 up
// to the fixed-part end stored at offset + 2. Empty when the offset lies in
// the page header, the fixed length is not 1..8059, or the data would pass
// the end of the page.
ByteView RecordFixedData(ByteView page, std::size_t offset);

}  // namespace tessaril
