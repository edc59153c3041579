#include "values/binary_xml_values.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <optional>

#include "base/code_page.h"
#include "base/hex.h"
#include "values/text_forms.h"
#include "values/value_decoder.h"

namespace tessaril {
namespace {

// A decimal payload: precision, scale, sign, then 1 to 4 uint32 magnitude words.
constexpr std::size_t kDecimalHeader = 3;
constexpr std::size_t kDecimalMaxLength = kDecimalHeader + 16;
constexpr std::size_t kDecimalSign = 2;
constexpr std::size_t kCodePageWidth = 4;  // before 8-bit text
constexpr std::size_t kDateWidth = 3;
constexpr std::size_t kZoneWidth = 2;

// The XSD time, dateTime and date tokens hold an int64 whose low two bits are
// flags. A date counts days as (day-1) + 31 x ((month-1) + 12 x (year+9999)),
// and the date token keeps a zone with it: 1740 zone steps a day, 840 of
// them being no offset.
constexpr std::int64_t kYearBias = 9999;
constexpr std::int64_t kZoneSteps = 1740;
constexpr std::int64_t kZoneZero = 840;

// The next n payload bytes; nothing when the stream ends first.
std::optional<ByteView> Fixed(BinaryXmlStream& in, std::size_t n) {
  const ByteView bytes = in.Bytes(n);
  if (!in.ok()) return std::nullopt;
  return bytes;
}

std::string Padded(std::int64_t value, int width) {
  std::string digits = std::to_string(value);
  if (digits.size() < static_cast<std::size_t>(width)) {
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  }
  return digits;
}

// Drops the trailing zeros of the fraction after the first '.', and the point
// with them when nothing is left: "03:04:05.1200" gives "03:04:05.12".
std::string TrimFraction(std::string text) {
  const std::size_t point = text.find('.');
  if (point == std::string::npos) return text;
  std::size_t end = point + 1;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  std::size_t keep = end;
  while (keep > point + 1 && text[keep - 1] == '0') --keep;
  if (keep == point + 1) keep = point;
  text.erase(keep, end - keep);
  return text;
}

// The space between date and time becomes the 'T' of the xml form.
std::string IsoDateTime(std::string text) {
  const std::size_t space = text.find(' ');
  if (space != std::string::npos) text[space] = 'T';
  return text;
}

// money and smallmoney: at least two and at most four decimals.
std::string MoneyDecimals(std::string text) {
  const std::size_t point = text.find('.');
  if (point == std::string::npos) return text;
  while (text.size() > point + 3 && text.back() == '0') text.pop_back();
  return text;
}

std::string DecimalValueText(BinaryXmlStream& in, bool trimZeros) {
  const ByteView payload = in.CountedBytes();
  if (!in.ok()) return {};
  const std::size_t length = payload.size();
  if (length <= kDecimalHeader || length > kDecimalMaxLength ||
      (length - kDecimalHeader) % 4 != 0) {
    return {};
  }
  const std::string text = DecimalText(payload.Sub(kDecimalSign), payload.At(0), payload.At(1));
  return trimZeros ? TrimFraction(text) : text;
}

// datetime is the day count (int32, from 1900-01-01) and then the 1/300 s
// ticks; smalldatetime the day count and then the minutes, as 16-bit values.
// That is the opposite order from a record's, which the text forms read.
std::string SqlDateTimeText(std::uint8_t token, BinaryXmlStream& in) {
  const std::size_t half = token == bxml::kSqlDateTime ? std::size_t{4} : std::size_t{2};
  const std::optional<ByteView> bytes = Fixed(in, 2 * half);
  if (!bytes) return {};
  std::array<std::uint8_t, 8> recordOrder{};
  for (std::size_t i = 0; i < half; ++i) {
    recordOrder[i] = bytes->At(half + i);
    recordOrder[half + i] = bytes->At(i);
  }
  const ByteView record(recordOrder.data(), 2 * half);
  if (token == bxml::kSqlSmallDateTime) return IsoDateTime(SmallDateTimeText(record));
  std::string text = IsoDateTime(DateTimeText(record));
  if (text.ends_with(".000")) text.resize(text.size() - 4);
  return text;
}

// The date and time tokens: a scale byte, the time in 10^-scale s units,
// a 3-byte day count from 0001-01-01 and, for the zoned ones, an int16 zone
// offset in minutes; date and time are then UTC. The fraction shows without
// trailing zeros and a zero offset as "Z".
std::string DateAndTimeText(std::uint8_t token, BinaryXmlStream& in) {
  if (token == bxml::kDate) {
    const std::optional<ByteView> bytes = Fixed(in, kDateWidth);
    return bytes ? DateText(*bytes) : std::string();
  }
  const int scale = in.Byte();
  const auto timeWidth = static_cast<std::size_t>(TimeWidth(scale));
  if (timeWidth == 0) in.Fail();  // the value's length is unknown: nothing after it can be read
  if (!in.ok()) return {};
  const bool zoned =
      token == bxml::kTimeOffset || token == bxml::kDateTimeOffset || token == bxml::kDateOffset;
  const std::optional<ByteView> bytes =
      Fixed(in, timeWidth + kDateWidth + (zoned ? kZoneWidth : 0));
  if (!bytes) return {};
  if (token == bxml::kTime) return TrimFraction(TimeText(bytes->Sub(0, timeWidth), scale));
  if (token == bxml::kDateTime2) return TrimFraction(IsoDateTime(DateTime2Text(*bytes, scale)));
  // "yyyy-mm-dd hh:mm:ss[.fraction] +hh:mm", in local time.
  const std::string local = DateTimeOffsetText(*bytes, scale);
  const std::size_t firstSpace = local.find(' ');
  const std::size_t lastSpace = local.rfind(' ');
  if (local.empty() || firstSpace == lastSpace) return {};
  const std::string date = local.substr(0, firstSpace);
  const std::string time = TrimFraction(local.substr(firstSpace + 1, lastSpace - firstSpace - 1));
  std::string zone = local.substr(lastSpace + 1);
  if (zone == "+00:00") zone = "Z";
  if (token == bxml::kDateOffset) return date + zone;
  if (token == bxml::kTimeOffset) return time + zone;
  return date + "T" + time + zone;
}

std::string YearText(std::int64_t year) {
  return year < 0 ? "-" + Padded(-year, 4) : Padded(year, 4);
}

// "hh:mm:ss" and ".mmm" when the milliseconds are not zero.
std::string ClockText(std::int64_t hour, std::int64_t minute, std::int64_t second,
                      std::int64_t milliseconds) {
  std::string text = Padded(hour, 2) + ":" + Padded(minute, 2) + ":" + Padded(second, 2);
  if (milliseconds != 0) text += "." + Padded(milliseconds, 3);
  return text;
}

std::string XsdDateTimeText(std::uint8_t token, BinaryXmlStream& in) {
  const std::optional<ByteView> bytes = Fixed(in, 8);
  if (!bytes) return {};
  const auto stored = static_cast<std::int64_t>(LoadU64(*bytes, 0));
  if (stored < 0) return {};
  std::int64_t w = stored >> 2;
  if (token == bxml::kXsdDate) {
    const std::int64_t zone = w % kZoneSteps - kZoneZero;
    std::int64_t days = w / kZoneSteps;
    const std::int64_t day = days % 31 + 1;
    days /= 31;
    const std::int64_t month = days % 12 + 1;
    const std::int64_t year = days / 12 - kYearBias;
    if (year > kYearBias) return {};
    std::string text = YearText(year) + "-" + Padded(month, 2) + "-" + Padded(day, 2);
    if (zone == 0) return text + "Z";
    // The zone is kept as the shift back to UTC: a negative step count is a
    // zone east of Greenwich.
    const std::int64_t magnitude = zone < 0 ? -zone : zone;
    return text + (zone < 0 ? "+" : "-") + Padded(magnitude / 60, 2) + ":" +
           Padded(magnitude % 60, 2);
  }
  const std::int64_t milliseconds = w % 1000;
  w /= 1000;
  const std::int64_t second = w % 60;
  w /= 60;
  const std::int64_t minute = w % 60;
  w /= 60;
  if (token == bxml::kXsdTime) {
    if (w > 23) return {};
    return ClockText(w, minute, second, milliseconds) + "Z";
  }
  const std::int64_t hour = w % 24;
  w /= 24;
  const std::int64_t day = w % 31 + 1;
  w /= 31;
  const std::int64_t month = w % 12 + 1;
  const std::int64_t year = w / 12 - kYearBias;
  if (year > kYearBias) return {};
  return YearText(year) + "-" + Padded(month, 2) + "-" + Padded(day, 2) + "T" +
         ClockText(hour, minute, second, milliseconds) + "Z";
}

// float and real; the values xml has words for are written so.
template <typename Float>
std::string FloatingText(BinaryXmlStream& in) {
  const std::optional<ByteView> bytes = Fixed(in, sizeof(Float));
  if (!bytes) return {};
  Float value = 0;
  if constexpr (sizeof(Float) == 8) {
    value = std::bit_cast<Float>(LoadU64(*bytes, 0));
  } else {
    value = std::bit_cast<Float>(LoadU32(*bytes, 0));
  }
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  return sizeof(Float) == 8 ? FloatText(*bytes) : RealText(*bytes);
}

// A little-endian integer of the given width, signed or not, in decimal.
std::string IntegerText(BinaryXmlStream& in, std::size_t width, bool isSigned) {
  const std::optional<ByteView> bytes = Fixed(in, width);
  if (!bytes) return {};
  std::uint64_t value = 0;
  for (std::size_t i = width; i-- > 0;) value = (value << 8) | bytes->At(i);
  const std::size_t unused = 64 - 8 * width;
  if (!isSigned) return std::to_string(value);
  return std::to_string(static_cast<std::int64_t>(value << unused) >> unused);
}

}  // namespace

bool IsValueToken(std::uint8_t token, int version) {
  if (token >= bxml::kSqlSmallInt && token <= bxml::kSqlSmallMoney) return true;
  if (token == bxml::kSqlText || token == bxml::kSqlImage || token == bxml::kSqlNText ||
      token == bxml::kSqlUdt) {
    return true;
  }
  if (token >= bxml::kTimeOffset && token <= bxml::kDate) return version >= 2;
  return token >= bxml::kXsdTime && token <= bxml::kXsdQName;
}

bool IsCharacterToken(std::uint8_t token) {
  return token == bxml::kSqlChar || token == bxml::kSqlNChar || token == bxml::kSqlVarChar ||
         token == bxml::kSqlNVarChar || token == bxml::kSqlText || token == bxml::kSqlNText;
}

std::string ReadValueText(std::uint8_t token, BinaryXmlStream& in) {
  switch (token) {
    case bxml::kSqlSmallInt:
      return IntegerText(in, 2, true);
    case bxml::kSqlInt:
      return IntegerText(in, 4, true);
    case bxml::kSqlBigInt:
      return IntegerText(in, 8, true);
    case bxml::kXsdByte:
      return IntegerText(in, 1, true);
    case bxml::kSqlBit:
    case bxml::kSqlTinyInt:
      return IntegerText(in, 1, false);
    case bxml::kXsdUnsignedShort:
      return IntegerText(in, 2, false);
    case bxml::kXsdUnsignedInt:
      return IntegerText(in, 4, false);
    case bxml::kXsdUnsignedLong:
      return IntegerText(in, 8, false);
    case bxml::kSqlReal:
      return FloatingText<float>(in);
    case bxml::kSqlFloat:
      return FloatingText<double>(in);
    case bxml::kSqlMoney:
    case bxml::kSqlSmallMoney: {
      const bool small = token == bxml::kSqlSmallMoney;
      const std::optional<ByteView> bytes = Fixed(in, small ? 4 : 8);
      if (!bytes) return {};
      return MoneyDecimals(small ? SmallMoneyText(*bytes) : MoneyText(*bytes));
    }
    case bxml::kSqlUuid: {
      const std::optional<ByteView> bytes = Fixed(in, 16);
      return bytes ? UniqueIdentifierText(*bytes) : std::string();
    }
    case bxml::kSqlDecimal:
    case bxml::kSqlNumeric:
      return DecimalValueText(in, false);
    case bxml::kXsdDecimal:
      return DecimalValueText(in, true);
    case bxml::kSqlChar:
    case bxml::kSqlVarChar:
    case bxml::kSqlText: {
      // The value carries its own code page in front of the text.
      const ByteView bytes = in.CountedBytes();
      if (!in.ok() || bytes.size() < kCodePageWidth) return {};
      return CodePageToUtf8(bytes.Sub(kCodePageWidth), LoadU32(bytes, 0));
    }
    case bxml::kSqlNChar:
    case bxml::kSqlNVarChar:
    case bxml::kSqlNText:
      return in.Text();
    case bxml::kSqlBinary:
    case bxml::kSqlVarBinary:
    case bxml::kSqlImage:
    case bxml::kSqlUdt:
    case bxml::kXsdBase64: {
      const ByteView bytes = in.CountedBytes();
      return in.ok() ? Base64Text(bytes) : std::string();
    }
    case bxml::kXsdBinHex: {
      const ByteView bytes = in.CountedBytes();
      return in.ok() ? HexDigits(bytes) : std::string();
    }
    case bxml::kSqlDateTime:
    case bxml::kSqlSmallDateTime:
      return SqlDateTimeText(token, in);
    case bxml::kTimeOffset:
    case bxml::kDateTimeOffset:
    case bxml::kDateOffset:
    case bxml::kTime:
    case bxml::kDateTime2:
    case bxml::kDate:
      return DateAndTimeText(token, in);
    case bxml::kXsdTime:
    case bxml::kXsdDateTime:
    case bxml::kXsdDate:
      return XsdDateTimeText(token, in);
    case bxml::kXsdBoolean: {
      const std::optional<ByteView> bytes = Fixed(in, 1);
      if (!bytes) return {};
      return bytes->At(0) != 0 ? "true" : "false";
    }
    case bxml::kXsdQName: {
      const BinaryXmlQName* qname = in.QName(in.Mb32());
      if (qname == nullptr || !qname->names || qname->declares) {
        in.Fail();
        return {};
      }
      return qname->qualified;
    }
    default:
      in.Fail();
      return {};
  }
}

std::string Base64Text(ByteView bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = bytes.size() - i;
    const std::uint32_t group =
        std::uint32_t{bytes.At(i)} << 16 | std::uint32_t{bytes.At(i + 1)} << 8 | bytes.At(i + 2);
    text += kAlphabet[group >> 18 & 0x3F];
    text += kAlphabet[group >> 12 & 0x3F];
    text += left > 1 ? kAlphabet[group >> 6 & 0x3F] : '=';
    text += left > 2 ? kAlphabet[group & 0x3F] : '=';
  }
  return text;
}

}  // namespace tessaril
