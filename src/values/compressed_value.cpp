#include "values/compressed_value.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/unicode.h"
#include "values/scsu.h"
#include "values/text_forms.h"
#include "values/vardecimal.h"

namespace tessaril {
namespace {

constexpr std::size_t kDateWidth = 3;
constexpr std::uint8_t kBlank = 0x20;

using Buffer = std::vector<std::uint8_t>;

// Big-endian, top bit flipped, sign-extended from the stored length, as the
// little-endian bytes of a `width`-byte integer.
bool IntegerForm(ByteView stored, std::size_t width, Buffer& out) {
  if (stored.size() > width) return false;
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < stored.size(); ++i) value = value << 8 | stored.At(i);
  if (!stored.empty()) {
    const std::size_t bits = 8 * stored.size();
    value ^= std::uint64_t{1} << (bits - 1);
    if (bits < 64 && (value >> (bits - 1)) != 0) value |= ~std::uint64_t{0} << bits;
  }
  out.assign(width, 0);
  for (std::size_t i = 0; i < width; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
  return true;
}

// The stored bytes placed at the start (highAligned false) or at the end of
// a zero-filled value of `width` bytes.
bool Aligned(ByteView stored, std::size_t width, bool highAligned, Buffer& out) {
  if (stored.size() > width) return false;
  out.assign(width, 0);
  const std::size_t at = highAligned ? width - stored.size() : 0;
  std::copy(stored.data(), stored.data() + stored.size(), out.begin() + static_cast<long>(at));
  return true;
}

std::size_t DeclaredLength(const ColumnDef& column) {
  return column.maxLength > 0 ? static_cast<std::size_t>(column.maxLength) : 0;
}

// The bytes of the value as an uncompressed record holds them; false when
// the stored form cannot be one of this type.
bool Expand(ByteView stored, const ColumnDef& column, Buffer& out) {
  switch (column.typeCode) {
    case kBigintCode:
    case kDateTimeCode:
    case kMoneyCode:
      return IntegerForm(stored, 8, out);
    case kIntCode:
    case kSmallMoneyCode:
      return IntegerForm(stored, 4, out);
    case kSmallintCode:
      return IntegerForm(stored, 2, out);
    case kTinyintCode:
      return Aligned(stored, 1, false, out);
    case kRealCode:
    case kSmallDateTimeCode:
      return Aligned(stored, 4, true, out);
    case kFloatCode:
    case kTimestampCode:
      return Aligned(stored, 8, true, out);
    case kDateCode:
      return Aligned(stored, kDateWidth, false, out);
    case kTimeCode:
    case kDateTime2Code:
    case kDateTimeOffsetCode: {
      // The width the scale gives, as an uncompressed record stores it.
      const std::int16_t width = DescribeValue(column).fixedWidth;
      return width > 0 && Aligned(stored, static_cast<std::size_t>(width), false, out);
    }
    case kBinaryCode:
      return Aligned(stored, std::max(DeclaredLength(column), stored.size()), false, out);
    case kCharCode:
      out.assign(stored.data(), stored.data() + stored.size());
      if (out.size() < DeclaredLength(column)) out.resize(DeclaredLength(column), kBlank);
      return true;
    default:
      out.assign(stored.data(), stored.data() + stored.size());
      return true;
  }
}

}  // namespace

std::string CompressedUnicodeText(ByteView stored, const ColumnDef& column) {
  // nvarchar(max) is never SCSU-compressed; its declared length reads -1.
  const bool scsu = stored.size() % 2 == 1 && column.maxLength != -1;
  std::u16string units;
  if (scsu) {
    units = DecodeScsu(stored);
  } else {
    for (std::size_t i = 0; i + 1 < stored.size(); i += 2) {
      units.push_back(static_cast<char16_t>(stored.At(i) | stored.At(i + 1) << 8));
    }
  }
  units = units.substr(0, units.find(u'\0'));
  if (column.typeCode == kNcharCode) {
    const std::size_t declared = DeclaredLength(column) / 2;
    if (units.size() < declared) units.resize(declared, u' ');
  }
  return Utf16ToUtf8(units);
}

std::string CompressedValueText(ByteView stored, const ColumnDef& column, TextDecoding& text) {
  switch (column.typeCode) {
    case kBitCode:
      return stored.empty() || stored.At(0) == 0 ? "False" : "True";
    case kNcharCode:
    case kNvarcharCode:
      return CompressedUnicodeText(stored, column);
    case kNumericCode:
    case kDecimalCode:
      return VarDecimalText(stored, column.precision, column.scale);
    default:
      break;
  }
  Buffer expanded;
  if (!Expand(stored, column, expanded)) return {};
  const ByteView bytes(expanded.data(), expanded.size());
  ValueLayout layout = DescribeValue(column);
  return DecodeValue(layout, bytes, column, text);
}

}  // namespace tessaril
