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

// The fixed-length data of the record at offset: the bytes from offset + 4 up
// to the fixed-part end stored at offset + 2. Empty when the offset lies in
// the page header, the fixed length is not 1..8059, or the data would pass
// the end of the page.
ByteView RecordFixedData(ByteView page, std::size_t offset);

}  // namespace tessaril
