#include "catalog/column_row.h"

#include <vector>

namespace tessaril {

std::int32_t InternalTypeCode(std::uint8_t systemType) {
  switch (systemType) {
    case 34:
      return kImageCode;
    case 35:
      return kTextCode;
    case 36:
      return 15;  // uniqueidentifier
    case 40:
      return 5;  // date
    case 41:
      return 6;  // time
    case 42:
      return 7;  // datetime2
    case 43:
      return 8;  // datetimeoffset
    case 48:
      return 14;  // tinyint
    case 52:
      return 13;  // smallint
    case 56:
      return 9;  // int
    case 58:
      return 27;  // smalldatetime
    case 59:
      return 28;  // real
    case 60:
      return 21;  // money
    case 61:
      return 4;  // datetime
    case 62:
      return 22;  // float
    case 98:
      return 20;  // sql_variant
    case 99:
      return 19;  // ntext
    case 104:
      return 2;  // bit
    case 106:
      return 24;  // decimal
    case 108:
      return 23;  // numeric
    case 122:
      return 29;  // smallmoney
    case 127:
      return 0;  // bigint
    case 165:
      return 16;  // varbinary
    case 167:
      return 17;  // varchar
    case 173:
      return 1;  // binary
    case 189:
      return 30;  // timestamp
    case 231:
      return 11;  // nvarchar
    case 232:
      return 18;
    case 239:
      return 10;  // nchar
    case 240:
      return 33;  // CLR types
    case 241:
      return 34;  // xml
    default:
      return 3;  // char and everything else
  }
}

namespace {

// Each identity value has the column's own stored width: 1, 2, 4 or 8 bytes
// for the integer types, a sign byte and magnitude for decimal and numeric.
bool IsDecimalType(std::uint8_t systemType) { return systemType == 106 || systemType == 108; }

// The decimal digits of an unsigned little-endian integer of any width.
std::string UnsignedDigits(ByteView bytes) {
  std::vector<std::uint8_t> magnitude(bytes.data(), bytes.data() + bytes.size());
  std::string digits;
  bool zero = false;
  while (!zero) {
    unsigned remainder = 0;
    zero = true;
    for (std::size_t i = magnitude.size(); i-- > 0;) {
      const unsigned current = remainder << 8 | magnitude[i];
      magnitude[i] = static_cast<std::uint8_t>(current / 10);
      remainder = current % 10;
      zero = zero && magnitude[i] == 0;
    }
    digits.insert(digits.begin(), static_cast<char>('0' + remainder));
  }
  return digits;
}

// One identity value of `width` bytes as the column's type reads it.
std::string IdentityValue(ByteView bytes, std::uint8_t systemType) {
  const std::size_t width = bytes.size();
  if (IsDecimalType(systemType)) {
    const std::string digits = UnsignedDigits(bytes.Sub(1));
    return bytes.At(0) == 0 && digits != "0" ? "-" + digits : digits;
  }
  if (width == 1) return std::to_string(bytes.At(0));  // tinyint has no sign
  std::uint64_t value = 0;
  for (std::size_t i = width; i-- > 0;) value = value << 8 | bytes.At(i);
  const std::size_t bits = 8 * width;
  if (bits < 64 && (value >> (bits - 1)) != 0) value |= ~std::uint64_t{0} << bits;
  return std::to_string(static_cast<std::int64_t>(value));
}

}  // namespace

std::string IdentityText(ByteView d, std::uint8_t systemType) {
  // The last value given, the seed and the increment, each `width` bytes,
  // then one byte of flags.
  constexpr std::size_t kMaxIdentityWidth = 17;
  std::string seed = "1";
  std::string increment = "1";
  const std::size_t width = d.size() >= 4 ? (d.size() - 1) / 3 : 0;
  if (width > 0 && width <= kMaxIdentityWidth &&
      (IsDecimalType(systemType) || width == 1 || width == 2 || width == 4 || width == 8)) {
    seed = IdentityValue(d.Sub(width, width), systemType);
    increment = IdentityValue(d.Sub(2 * width, width), systemType);
    if (increment == "0") increment = "1";
  }
  return "identity(" + seed + "," + increment + ")";
}

}  // namespace tessaril
