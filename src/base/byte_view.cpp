#include "base/byte_view.h"

namespace tessaril {

std::uint64_t ByteCursor::Load(std::size_t width) {
  if (!ok_ || !view_.Contains(position_, width)) {
    ok_ = false;
    return 0;
  }
  std::uint64_t value = 0;
  for (std::size_t i = width; i-- > 0;) {
    value = (value << 8) | view_.data()[position_ + i];
  }
  position_ += width;
  return value;
}

ByteView ByteCursor::Bytes(std::size_t n) {
  if (!ok_ || !view_.Contains(position_, n)) {
    ok_ = false;
    return {};
  }
  ByteView bytes = view_.Sub(position_, n);
  position_ += n;
  return bytes;
}

void ByteCursor::Skip(std::size_t n) {
  if (!ok_ || !view_.Contains(position_, n)) {
    ok_ = false;
    return;
  }
  position_ += n;
}

void ByteCursor::Seek(std::size_t position) {
  if (position > view_.size()) {
    ok_ = false;
    return;
  }
  position_ = position;
}

std::uint16_t LoadU16(ByteView view, std::size_t offset) { return ByteCursor(view, offset).U16(); }
std::uint32_t LoadU32(ByteView view, std::size_t offset) { return ByteCursor(view, offset).U32(); }
std::uint64_t LoadU64(ByteView view, std::size_t offset) { return ByteCursor(view, offset).U64(); }

}  // namespace tessaril
