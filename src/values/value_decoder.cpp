#include "values/value_decoder.h"

#include <cinttypes>
#include <cstdio>

#include "base/hex.h"
#include "base/unicode.h"
#include "values/binary_xml.h"
#include "values/text_forms.h"

namespace tessaril {
namespace {

std::string Signed(std::int64_t v) { return std::to_string(v); }

// UTF-16LE up to the first zero code unit.
std::string Utf16UpToZero(ByteView bytes) {
  std::size_t n = 0;
  while (n + 1 < bytes.size() && (bytes.At(n) != 0 || bytes.At(n + 1) != 0)) n += 2;
  return Utf16LeToUtf8(bytes.Sub(0, n));
}

ByteView UpToZero(ByteView bytes) {
  std::size_t n = 0;
  while (n < bytes.size() && bytes.At(n) != 0) ++n;
  return bytes.Sub(0, n);
}

// A char value: the text up to its first zero byte, then each zero byte
// after it shown as "_" and other bytes decoded one by one.
std::string CharText(ByteView bytes, std::uint32_t codePage, TextDecoding& text) {
  const ByteView head = UpToZero(bytes);
  std::string out = text.Decode(head, codePage);
  for (std::size_t i = head.size(); i < bytes.size(); ++i) {
    out += bytes.At(i) == 0 ? std::string("_") : text.Decode(bytes.Sub(i, 1), codePage);
  }
  return out;
}

// A bit column reads its own byte and its own bit position.
std::string BitText(ByteView bytes, const ColumnDef& column) {
  return ((bytes.At(0) >> (column.bitPosition & 7)) & 1) != 0 ? "True" : "False";
}

}  // namespace

TextDecoding::TextDecoding(const CollationTable* collations, CollationResult database)
    : collations_(collations), database_(std::move(database)) {}

std::uint32_t TextDecoding::CodePageOf(std::int32_t collationId) const {
  if (collationId != 0 && collationId != -1 && collations_ != nullptr) {
    if (const CollationEntry* entry = collations_->Find(collationId)) {
      if (entry->codePage > 0) return static_cast<std::uint32_t>(entry->codePage);
    }
  }
  return database_.found ? database_.codePage : kDefaultCodePage;
}

std::string TextDecoding::Decode(ByteView bytes, std::uint32_t codePage) {
  std::unique_ptr<CodePageDecoder>& decoder = decoders_[codePage];
  if (!decoder) decoder = std::make_unique<CodePageDecoder>(codePage);
  return decoder->ToUtf8(bytes);
}

std::string BinaryText(ByteView bytes) { return "0x" + HexDigits(bytes); }

bool TakesBinaryPrefix(std::int32_t typeCode) {
  return typeCode == kVarbinaryCode || typeCode == kImageCode;
}

std::string UniqueIdentifierText(ByteView b) {
  if (b.size() < 16) return {};
  char text[40];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-", b.At(3), b.At(2),
                b.At(1), b.At(0), b.At(5), b.At(4), b.At(7), b.At(6), b.At(8), b.At(9));
  return text + HexDigits(b.Sub(10, 6));
}

ValueLayout DescribeValue(const ColumnDef& column) {
  ValueLayout l;
  const std::int32_t typeCode = column.typeCode;
  l.typeCode = typeCode;
  const std::int16_t len = column.maxLength;
  const auto fixed = [&](int width) {
    l.fixedWidth = static_cast<std::int16_t>(width);
    l.width = static_cast<std::int16_t>(width);
  };
  switch (typeCode) {
    case 0:
    case 4:
    case 22:
      fixed(8);
      break;
    case 1:
    case 3:
      fixed(len);
      break;
    case 2:
      fixed(1);
      break;
    case 5:
      fixed(3);
      break;
    // The temporal types with a scale, and decimal and numeric by precision.
    // A scale or precision out of range (a damaged column row) gives no width.
    case 6:
      fixed(TimeWidth(column.scale));
      break;
    case 7:
      fixed(DateTime2Width(column.scale));
      break;
    case 8:
      fixed(DateTimeOffsetWidth(column.scale));
      break;
    case 9:
    case 27:
    case 28:
    case 29:
      fixed(4);
      break;
    case 10:
    case 11:
    case 19:
    case 20:
    case 26:
    case 31:
    case 32:
    case 33:
      fixed(len);
      l.variable = column.isVariableLength;
      break;
    case 12:
      fixed(8);
      l.variable = column.isVariableLength;
      break;
    case 13:
      fixed(2);
      break;
    case 14:
      fixed(1);
      break;
    case 15:
      fixed(16);
      break;
    case 16:
    case 25:
    case 34:
      l.width = len;
      l.variable = true;
      break;
    case 17:
      l.width = len;
      l.variable = column.isVariableLength;
      break;
    case 21:
    case 30:
      fixed(8);
      break;
    case 23:
    case 24:
      fixed(DecimalWidth(column.precision));
      break;
    default:
      break;
  }
  return l;
}

std::string DecodeValue(const ValueLayout& layout, ByteView bytes, const ColumnDef& column,
                        TextDecoding& text) {
  if (bytes.empty() && layout.typeCode != 2) return {};
  const auto fits = [&](std::size_t width) { return width > 0 && bytes.size() >= width; };
  const int scale = column.scale;
  switch (layout.typeCode) {
    case 0:
      return fits(8) ? Signed(static_cast<std::int64_t>(LoadU64(bytes, 0))) : "";
    case 1:
      return BinaryText(bytes);
    case 2:
      return bytes.empty() ? "False" : BitText(bytes, column);
    case 3:
      return CharText(bytes, text.CodePageOf(column.collationId), text);
    case 4:
      return fits(8) ? DateTimeText(bytes) : "";
    case 5:
      return fits(3) ? DateText(bytes) : "";
    case 6:
      return TimeText(bytes, scale);
    case 7:
      return DateTime2Text(bytes, scale);
    case 8:
      return DateTimeOffsetText(bytes, scale);
    case 9:
      return fits(4) ? Signed(static_cast<std::int32_t>(LoadU32(bytes, 0))) : "";
    case 10:
    case 11:
    case 19:
      return Utf16UpToZero(bytes);
    case 13:
      return fits(2) ? Signed(static_cast<std::int16_t>(LoadU16(bytes, 0))) : "";
    case 14:
      return std::to_string(bytes.At(0));
    case 15:
      return UniqueIdentifierText(bytes);
    case 16:
    case 25:  // image read in full, as varbinary
      return HexDigits(bytes);
    case 17:
    case 26:
      return text.Decode(UpToZero(bytes), text.CodePageOf(column.collationId));
    case 20:
      return DecodeVariantValue(bytes, text);
    case 21:
      return fits(8) ? MoneyText(bytes) : "";
    case 22:
      return fits(8) ? FloatText(bytes) : "";
    case 23:
    case 24:
      return DecimalText(bytes, column.precision, scale);
    case 27:
      return fits(4) ? SmallDateTimeText(bytes) : "";
    case 28:
      return fits(4) ? RealText(bytes) : "";
    case 29:
      return fits(4) ? SmallMoneyText(bytes) : "";
    case 30:
    case 31:
    case 32:
    case 33:
      return BinaryText(bytes);
    case 34: {  // an empty document shows as one blank
      std::string xml = BinaryXmlToText(bytes);
      return xml.empty() ? " " : xml;
    }
    default:
      return {};
  }
}

// sql_variant: byte 0 the base type id, byte 1 the property version, then
// the base type's properties and the data.
std::string DecodeVariantValue(ByteView bytes, TextDecoding& text) {
  const std::size_t n = bytes.size();
  const ByteView from2 = bytes.Sub(2);
  switch (bytes.At(0)) {
    case 36:
      return n == 18 ? UniqueIdentifierText(from2) : "";
    case 40:
      return n == 5 ? DateText(from2) : "";
    case 41:
      return n >= 3 ? TimeText(bytes.Sub(3), bytes.At(2)) : "";
    case 42:
      return n >= 3 ? DateTime2Text(bytes.Sub(3), bytes.At(2)) : "";
    case 43:
      return n >= 3 ? DateTimeOffsetText(bytes.Sub(3), bytes.At(2)) : "";
    case 48:
      return n == 3 ? std::to_string(bytes.At(2)) : "";
    case 52:
      return n == 4 ? Signed(static_cast<std::int16_t>(LoadU16(bytes, 2))) : "";
    case 56:
      return n == 6 ? Signed(static_cast<std::int32_t>(LoadU32(bytes, 2))) : "";
    case 58:
      return n == 6 ? SmallDateTimeText(from2) : "";
    case 59:
      return n == 6 ? RealText(from2) : "";
    case 60:
      return n == 10 ? MoneyText(from2) : "";
    case 61:
      return n == 10 ? DateTimeText(from2) : "";
    case 62:
      return n == 10 ? FloatText(from2) : "";
    case 104:
      return n == 3 ? (bytes.At(2) != 0 ? "True" : "False") : "";
    case 106:
    case 108:
      return n > 4 ? DecimalText(bytes.Sub(4), bytes.At(2), bytes.At(3)) : "";
    case 122:
      return n == 6 ? SmallMoneyText(from2) : "";
    case 127:
      return n == 10 ? Signed(static_cast<std::int64_t>(LoadU64(bytes, 2))) : "";
    // Binary bases carry a 2-byte maximum length; char bases a collation
    // (4 bytes) and a maximum length, and are decoded with that collation.
    case 165:
    case 173:
      return n >= 4 ? BinaryText(bytes.Sub(4)) : "";
    case 167:
    case 175:
      return n >= 8 ? text.Decode(UpToZero(bytes.Sub(8)),
                                  text.CodePageOf(static_cast<std::int32_t>(LoadU32(bytes, 2))))
                    : "";
    case 231:
    case 239:
      return n >= 8 ? Utf16UpToZero(bytes.Sub(8)) : "";
    case 240:
      return n >= 2 ? BinaryText(from2) : "";
    default:
      return {};
  }
}

}  // namespace tessaril
