// Text forms of the date, time and number types, from their stored bytes.
//
// Each form is a pure function of a value's bytes as they lie in a record
// (little-endian) and, where the type has them, its scale or precision. The
// text is the one SQL Server itself prints for the value, so that a user can
// compare a recovered row with a query result.
//
// Damage never fails: a value shorter than its type, a scale or precision out
// of range, or an impossible value (a date past 9999-12-31, a clock reading
// of a day or more, NaN) gives the empty text. A value that is possible but
// would not come from SQL Server (a datetime before 1753) shows what the bytes
// say; nothing is invented.
#pragma once

#include <cstdint>
#include <string>

#include "base/byte_view.h"

namespace tessaril {

// ---- Calendar -------------------------------------------------------------
// The proleptic Gregorian calendar on a day number, day 0 being 0001-01-01.
// Every date form goes through this pair.

struct CivilDate {
  std::int64_t year = 1;
  int month = 1;  // 1-12
  int day = 1;    // 1-31
};

// The day number of a date. The year is counted from March so that the leap
// day falls at the end; a 400-year era has 146097 days.
constexpr std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  const std::int64_t y = month <= 2 ? year - 1 : year;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;                    // rounded down
  const std::int64_t yearOfEra = y - era * 400;                             // 0-399
  const std::int64_t monthFromMarch = month > 2 ? month - 3 : month + 9;    // 0-11
  const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;  // 0-365
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 306;  // 306: from 0000-03-01 to 0001-01-01
}

// The date of a day number; the inverse of DaysFromCivil.
constexpr CivilDate CivilFromDays(std::int64_t dayNumber) {
  const std::int64_t z = dayNumber + 306;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;  // rounded down
  const std::int64_t dayOfEra = z - era * 146097;               // 0-146096
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;  // 0-399
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  CivilDate date;
  date.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  date.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  date.year = yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0);
  return date;
}

// datetime and smalldatetime count days from 1900-01-01.
inline constexpr std::int64_t kDay1900 = DaysFromCivil(1900, 1, 1);
// The last day any date type can hold, 9999-12-31.
inline constexpr std::int64_t kLastDay = DaysFromCivil(9999, 12, 31);

// ---- Date and time --------------------------------------------------------

// Stored width of the time part of time(s), datetime2(s) and datetimeoffset(s):
// 3 bytes for scale 0-2, 4 for 3-4, 5 for 5-7; 0 for a scale outside 0-7.
int TimeWidth(int scale);
// datetime2(s): the time part and a 3-byte date; datetimeoffset(s): both and
// a 2-byte offset. 0 for a scale outside 0-7.
int DateTime2Width(int scale);
int DateTimeOffsetWidth(int scale);

// datetime, 8 bytes: uint32 ticks of 1/300 s since midnight, then int32 days
// since 1900-01-01. "yyyy-mm-dd hh:mm:ss.mmm".
std::string DateTimeText(ByteView bytes);

// smalldatetime, 4 bytes: uint16 minutes since midnight, then uint16 days since
// 1900-01-01. "yyyy-mm-dd hh:mm:ss", the seconds always 00.
std::string SmallDateTimeText(ByteView bytes);

// date, 3 bytes: days since 0001-01-01. "yyyy-mm-dd".
std::string DateText(ByteView bytes);

// time(s), TimeWidth(s) bytes: units of 10^-s s since midnight.
// "hh:mm:ss", then for s > 0 a point and exactly s fraction digits.
std::string TimeText(ByteView bytes, int scale);

// datetime2(s): the time part as for time(s), then a 3-byte date.
// "yyyy-mm-dd hh:mm:ss[.fraction]".
std::string DateTime2Text(ByteView bytes, int scale);

// datetimeoffset(s): time part, 3-byte date (both UTC), then an int16 offset
// in minutes. The text is the local time, UTC + offset, with the date carried:
// "yyyy-mm-dd hh:mm:ss[.fraction] +hh:mm" (or "-hh:mm").
std::string DateTimeOffsetText(ByteView bytes, int scale);

// ---- Numbers --------------------------------------------------------------

// money, 8 bytes: int64 count of 1/10000. Exactly four decimals, "-" for a
// negative value, no thousands separator: "123.4500".
std::string MoneyText(ByteView bytes);

// smallmoney, 4 bytes: int32 count of 1/10000, written as money.
std::string SmallMoneyText(ByteView bytes);

// decimal/numeric(p, s): a sign byte (1 positive, 0 negative), then the
// magnitude as a little-endian unsigned integer of 4, 8, 12 or 16 bytes by
// precision. A shorter magnitude (as a sql_variant may store it) is read as
// far as it goes, up to 16 bytes. The text has exactly s decimals. A magnitude
// with more digits than the precision allows (damage), or a sign byte other
// than 0 or 1, gives the text "".
std::string DecimalText(ByteView bytes, int precision, int scale);

// Stored width of decimal/numeric(p, s): a sign byte and 4, 8, 12 or 16
// magnitude bytes for precision 1-9, 10-19, 20-28, 29-38; 0 for a precision
// outside 1-38.
int DecimalWidth(int precision);

// float, 8 bytes (IEEE double), and real, 4 bytes (IEEE single): the shortest
// text that reads back to the same value. Plain decimal for magnitudes from
// 1e-5 up to (not including) 1e15, otherwise exponent form as std::to_chars
// writes it ("1.5e+300", "1e-07"). Zero is "0"; NaN and the
// infinities, which only damage can store, show as "NaN", "Infinity" and
// "-Infinity".
std::string FloatText(ByteView bytes);
std::string RealText(ByteView bytes);

}  // namespace tessaril
