#include "values/text_forms.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

namespace tessaril {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr int kMaxTimeScale = 7;
// Ticks of 1/300 s in a day; a datetime clock reading is below this.
constexpr std::uint32_t kTicksPerDay = 300 * 86400;
constexpr int kMinutesPerDay = 1440;
// datetimeoffset offsets lie within -14:00 and +14:00.
constexpr int kMaxOffsetMinutes = 14 * 60;
// decimal and numeric hold at most 38 digits in at most 16 magnitude bytes.
constexpr int kMaxPrecision = 38;
constexpr std::size_t kMaxMagnitudeBytes = 16;
constexpr int kMoneyScale = 4;

// Field offsets inside the fixed-width values.
constexpr std::size_t kDateTimeTicks = 0;
constexpr std::size_t kDateTimeDays = 4;
constexpr std::size_t kSmallDateTimeMinutes = 0;
constexpr std::size_t kSmallDateTimeDays = 2;
constexpr std::size_t kDateWidth = 3;
constexpr std::size_t kOffsetWidth = 2;
constexpr std::size_t kDecimalMagnitude = 1;

constexpr std::array<std::uint64_t, kMaxTimeScale + 1> kPowersOfTen = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

// The unsigned little-endian integer of `width` bytes (at most 8) at offset,
// or nothing when the view is too short for it.
bool LoadUnsigned(ByteView bytes, std::size_t offset, std::size_t width, std::uint64_t& value) {
  if (width > 8 || !bytes.Contains(offset, width)) return false;
  value = 0;
  for (std::size_t i = width; i-- > 0;) value = (value << 8) | bytes.At(offset + i);
  return true;
}

// value in decimal, with leading zeros up to `width` digits.
void AppendNumber(std::string& out, std::uint64_t value, int width = 1) {
  std::array<char, 24> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  const auto length = static_cast<int>(result.ptr - digits.data());
  if (length < width) out.append(static_cast<std::size_t>(width - length), '0');
  out.append(digits.data(), result.ptr);
}

// "yyyy-mm-dd" of a day number, or false when it lies outside 0001-9999.
bool AppendDate(std::string& out, std::int64_t dayNumber) {
  if (dayNumber < 0 || dayNumber > kLastDay) return false;
  const CivilDate date = CivilFromDays(dayNumber);
  AppendNumber(out, static_cast<std::uint64_t>(date.year), 4);
  out += '-';
  AppendNumber(out, static_cast<std::uint64_t>(date.month), 2);
  out += '-';
  AppendNumber(out, static_cast<std::uint64_t>(date.day), 2);
  return true;
}

// "hh:mm:ss" of a second of the day (0-86399).
void AppendClock(std::string& out, std::int64_t secondOfDay) {
  AppendNumber(out, static_cast<std::uint64_t>(secondOfDay / 3600), 2);
  out += ':';
  AppendNumber(out, static_cast<std::uint64_t>(secondOfDay / 60 % 60), 2);
  out += ':';
  AppendNumber(out, static_cast<std::uint64_t>(secondOfDay % 60), 2);
}

// A time of day in units of 10^-scale s, split into whole seconds and the rest.
struct TimeOfDay {
  std::int64_t seconds = 0;
  std::uint64_t fraction = 0;
};

// Reads the time part of time, datetime2 and datetimeoffset; false when the
// scale is out of range, the bytes are too few or the reading is a day or more.
bool LoadTimeOfDay(ByteView bytes, int scale, TimeOfDay& time) {
  const int width = TimeWidth(scale);
  std::uint64_t units = 0;
  if (width == 0 || !LoadUnsigned(bytes, 0, static_cast<std::size_t>(width), units)) return false;
  const std::uint64_t unitsPerSecond = kPowersOfTen[static_cast<std::size_t>(scale)];
  if (units >= static_cast<std::uint64_t>(kSecondsPerDay) * unitsPerSecond) return false;
  time.seconds = static_cast<std::int64_t>(units / unitsPerSecond);
  time.fraction = units % unitsPerSecond;
  return true;
}

// The date that follows the time part of datetime2 and datetimeoffset.
bool LoadDateAfterTime(ByteView bytes, int scale, std::int64_t& dayNumber) {
  std::uint64_t days = 0;
  if (!LoadUnsigned(bytes, static_cast<std::size_t>(TimeWidth(scale)), kDateWidth, days)) {
    return false;
  }
  dayNumber = static_cast<std::int64_t>(days);
  return true;
}

// "hh:mm:ss" and, for a scale above 0, "." and exactly `scale` fraction digits.
void AppendTime(std::string& out, const TimeOfDay& time, int scale) {
  AppendClock(out, time.seconds);
  if (scale > 0) {
    out += '.';
    AppendNumber(out, time.fraction, scale);
  }
}

// "yyyy-mm-dd hh:mm:ss[.fraction]", or "" when the date is out of range.
std::string DateAndTime(std::int64_t dayNumber, const TimeOfDay& time, int scale) {
  std::string text;
  if (!AppendDate(text, dayNumber)) return {};
  text += ' ';
  AppendTime(text, time, scale);
  return text;
}

// The digits of a magnitude with a point placed `scale` digits from the right,
// zero-padded so that at least one digit stands before the point.
std::string FixedPointText(bool negative, const std::string& digits, int scale) {
  std::string text = negative ? "-" : "";
  const auto needed = static_cast<std::size_t>(scale) + 1;
  if (digits.size() < needed) text.append(needed - digits.size(), '0');
  text += digits;
  if (scale > 0) text.insert(text.size() - static_cast<std::size_t>(scale), 1, '.');
  return text;
}

std::string SignedTenThousandths(std::int64_t value) {
  // The magnitude as unsigned, so that the most negative value has one too.
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::string digits;
  AppendNumber(digits, magnitude);
  return FixedPointText(value < 0, digits, kMoneyScale);
}

// Shortest round-trip text of a binary floating-point value; the range
// check is made in the value's own type so that the bounds agree with its digits.
template <typename Float>
std::string ShortestText(Float value) {
  // SQL Server never stores these, but damaged bytes may; the text says
  // what they hold.
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0) return "0";  // also for -0
  const Float magnitude = std::fabs(value);
  const bool plain = magnitude >= static_cast<Float>(1e-5) && magnitude < static_cast<Float>(1e15);
  std::array<char, 64> buffer{};
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                    plain ? std::chars_format::fixed : std::chars_format::scientific);
  if (result.ec != std::errc()) return {};
  return std::string(buffer.data(), result.ptr);
}

}  // namespace

int TimeWidth(int scale) {
  if (scale < 0 || scale > kMaxTimeScale) return 0;
  if (scale <= 2) return 3;
  return scale <= 4 ? 4 : 5;
}

int DateTime2Width(int scale) {
  return TimeWidth(scale) > 0 ? TimeWidth(scale) + static_cast<int>(kDateWidth) : 0;
}

int DateTimeOffsetWidth(int scale) {
  return TimeWidth(scale) > 0 ? DateTime2Width(scale) + static_cast<int>(kOffsetWidth) : 0;
}

int DecimalWidth(int precision) {
  if (precision < 1 || precision > kMaxPrecision) return 0;
  const int words = precision <= 9 ? 1 : precision <= 19 ? 2 : precision <= 28 ? 3 : 4;
  return static_cast<int>(kDecimalMagnitude) + 4 * words;
}

std::string DateTimeText(ByteView bytes) {
  if (!bytes.Contains(0, 8)) return {};
  const std::uint32_t ticks = LoadU32(bytes, kDateTimeTicks);
  const auto days = static_cast<std::int32_t>(LoadU32(bytes, kDateTimeDays));
  if (ticks >= kTicksPerDay) return {};
  // Milliseconds rounded to the nearest: a tick is 3 1/3 ms, so the stored
  // fractions show as .000, .003 and .007. 10 * ticks is never a half off a
  // millisecond, and 299 ticks give .997: the rounding never reaches a second.
  const std::uint64_t milliseconds = (std::uint64_t{ticks} * 10 + 1) / 3;
  const TimeOfDay time{static_cast<std::int64_t>(milliseconds / 1000), milliseconds % 1000};
  return DateAndTime(kDay1900 + days, time, 3);
}

std::string SmallDateTimeText(ByteView bytes) {
  if (!bytes.Contains(0, 4)) return {};
  const std::uint16_t minutes = LoadU16(bytes, kSmallDateTimeMinutes);
  const std::uint16_t days = LoadU16(bytes, kSmallDateTimeDays);
  if (minutes >= kMinutesPerDay) return {};
  return DateAndTime(kDay1900 + days, TimeOfDay{std::int64_t{minutes} * 60, 0}, 0);
}

std::string DateText(ByteView bytes) {
  std::uint64_t days = 0;
  if (!LoadUnsigned(bytes, 0, kDateWidth, days)) return {};
  std::string text;
  if (!AppendDate(text, static_cast<std::int64_t>(days))) return {};
  return text;
}

std::string TimeText(ByteView bytes, int scale) {
  TimeOfDay time;
  if (!LoadTimeOfDay(bytes, scale, time)) return {};
  std::string text;
  AppendTime(text, time, scale);
  return text;
}

std::string DateTime2Text(ByteView bytes, int scale) {
  TimeOfDay time;
  std::int64_t dayNumber = 0;
  if (!LoadTimeOfDay(bytes, scale, time) || !LoadDateAfterTime(bytes, scale, dayNumber)) return {};
  return DateAndTime(dayNumber, time, scale);
}

std::string DateTimeOffsetText(ByteView bytes, int scale) {
  TimeOfDay time;
  std::int64_t dayNumber = 0;
  std::uint64_t offsetBits = 0;
  if (!LoadTimeOfDay(bytes, scale, time) || !LoadDateAfterTime(bytes, scale, dayNumber) ||
      !LoadUnsigned(bytes, static_cast<std::size_t>(TimeWidth(scale)) + kDateWidth, kOffsetWidth,
                    offsetBits)) {
    return {};
  }
  const auto offset = static_cast<std::int16_t>(offsetBits);
  if (offset < -kMaxOffsetMinutes || offset > kMaxOffsetMinutes || dayNumber > kLastDay) return {};
  // The stored date and time are UTC. The offset is whole minutes, so the
  // fraction stays, and the local seconds since 0001-01-01 carry into the date.
  const std::int64_t localSeconds = dayNumber * kSecondsPerDay + time.seconds + offset * 60;
  if (localSeconds < 0) return {};
  const TimeOfDay local{localSeconds % kSecondsPerDay, time.fraction};
  std::string text = DateAndTime(localSeconds / kSecondsPerDay, local, scale);
  if (text.empty()) return {};
  const int offsetMagnitude = offset < 0 ? -offset : offset;
  text += offset < 0 ? " -" : " +";
  AppendNumber(text, static_cast<std::uint64_t>(offsetMagnitude / 60), 2);
  text += ':';
  AppendNumber(text, static_cast<std::uint64_t>(offsetMagnitude % 60), 2);
  return text;
}

std::string MoneyText(ByteView bytes) {
  if (!bytes.Contains(0, 8)) return {};
  // One little-endian 64-bit count: the low 32 bits first, the high 32 after.
  return SignedTenThousandths(static_cast<std::int64_t>(LoadU64(bytes, 0)));
}

std::string SmallMoneyText(ByteView bytes) {
  if (!bytes.Contains(0, 4)) return {};
  return SignedTenThousandths(static_cast<std::int32_t>(LoadU32(bytes, 0)));
}

std::string DecimalText(ByteView bytes, int precision, int scale) {
  if (precision < 1 || precision > kMaxPrecision || scale < 0 || scale > precision) return {};
  if (bytes.empty()) return {};
  const std::uint8_t sign = bytes.At(0);
  if (sign > 1) return {};  // only 0 (negative) and 1 (positive) are written
  // The magnitude as 32-bit limbs, most significant first, from however many
  // bytes follow the sign (a full value has 4, 8, 12 or 16).
  const ByteView magnitude = bytes.Sub(kDecimalMagnitude, kMaxMagnitudeBytes);
  std::array<std::uint32_t, kMaxMagnitudeBytes / 4> limbs{};
  for (std::size_t i = 0; i < magnitude.size(); ++i) {
    limbs[limbs.size() - 1 - i / 4] |= std::uint32_t{magnitude.At(i)} << (8 * (i % 4));
  }
  // Base-10^9 long division: nine digits at a time from the right.
  std::string digits;
  bool zero = false;
  while (!zero) {
    std::uint64_t remainder = 0;
    zero = true;
    for (std::uint32_t& limb : limbs) {
      const std::uint64_t current = (remainder << 32) | limb;
      limb = static_cast<std::uint32_t>(current / 1000000000);
      remainder = current % 1000000000;
      zero = zero && limb == 0;
    }
    std::string chunk;
    AppendNumber(chunk, remainder, zero ? 1 : 9);
    digits.insert(0, chunk);
  }
  // A value holds at most `precision` digits; more (16 bytes can hold up to
  // 39) is damage, not a value, and nothing is shown for it.
  if (digits.size() > static_cast<std::size_t>(precision)) return {};
  // A negative zero shows as zero.
  return FixedPointText(sign == 0 && digits != "0", digits, scale);
}

std::string FloatText(ByteView bytes) {
  if (!bytes.Contains(0, 8)) return {};
  return ShortestText(std::bit_cast<double>(LoadU64(bytes, 0)));
}

std::string RealText(ByteView bytes) {
  if (!bytes.Contains(0, 4)) return {};
  return ShortestText(std::bit_cast<float>(LoadU32(bytes, 0)));
}

}  // namespace tessaril
