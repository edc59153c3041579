// Bounds-checked access to bytes read from disk.
//
// Every decoder reads page bytes through a ByteView and a ByteCursor. A read
// that would pass the end of the view yields zero and latches the cursor's
// ok() to false, so a decoder can read a whole structure and check once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tessaril {

class ByteView {
 public:
  constexpr ByteView() = default;
  constexpr ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  constexpr ByteView(std::span<const std::uint8_t> bytes)  // NOLINT: implicit by design
      : data_(bytes.data()), size_(bytes.size()) {}

  constexpr const std::uint8_t* data() const { return data_; }
  constexpr std::size_t size() const { return size_; }
  constexpr bool empty() const { return size_ == 0; }
  constexpr std::span<const std::uint8_t> span() const { return {data_, size_}; }

  // True when [offset, offset + length) lies inside the view (overflow-safe).
  constexpr bool Contains(std::size_t offset, std::size_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  // The bytes [offset, offset + length), clamped to what the view holds.
  constexpr ByteView Sub(std::size_t offset, std::size_t length = SIZE_MAX) const {
    if (offset >= size_) return {};
    const std::size_t left = size_ - offset;
    return {data_ + offset, length < left ? length : left};
  }

  // The byte at offset, or 0 when offset is outside the view.
  constexpr std::uint8_t At(std::size_t offset) const { return offset < size_ ? data_[offset] : 0; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

// Little-endian reader over a ByteView with a sticky error flag.
class ByteCursor {
 public:
  explicit constexpr ByteCursor(ByteView view, std::size_t position = 0)
      : view_(view), position_(position), ok_(position <= view.size()) {}

  std::uint8_t U8() { return static_cast<std::uint8_t>(Load(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Load(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Load(4)); }
  std::uint64_t U64() { return Load(8); }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::int64_t I64() { return static_cast<std::int64_t>(U64()); }

  // The next n bytes; an empty view (and ok() false) when fewer remain.
  ByteView Bytes(std::size_t n);
  void Skip(std::size_t n);
  // Moves to an absolute position; a position past the end latches the error.
  void Seek(std::size_t position);

  std::size_t position() const { return position_; }
  std::size_t remaining() const { return position_ <= view_.size() ? view_.size() - position_ : 0; }
  bool ok() const { return ok_; }

 private:
  std::uint64_t Load(std::size_t width);

  ByteView view_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

// Fixed-offset little-endian loads; 0 when the field does not fit in the view.
std::uint16_t LoadU16(ByteView view, std::size_t offset);
std::uint32_t LoadU32(ByteView view, std::size_t offset);
std::uint64_t LoadU64(ByteView view, std::size_t offset);

}  // namespace tessaril
