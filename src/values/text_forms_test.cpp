#include "values/text_forms.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "testing/corpus.h"

namespace tessaril {
namespace {

using Bytes = std::vector<std::uint8_t>;

// value as `width` little-endian bytes (two's complement for a negative one).
Bytes Le(std::int64_t value, std::size_t width) {
  Bytes bytes(width);
  for (std::size_t i = 0; i < width; ++i) {
    bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
  }
  return bytes;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Hex(const std::string& hex) {
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

ByteView View(const Bytes& bytes) { return ByteView(bytes.data(), bytes.size()); }

struct Case {
  Bytes bytes;
  std::string text;
};

void ExpectTexts(const std::function<std::string(ByteView)>& form, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    ::testing::Message hex;
    for (const std::uint8_t b : c.bytes) hex << std::hex << (b >> 4) << (b & 15);
    EXPECT_EQ(form(View(c.bytes)), c.text) << "bytes " << hex;
  }
}

TEST(Calendar, DayNumbersAndDatesMapOneToOneOverTheWholeRange) {
  EXPECT_EQ(kDay1900, 693595);
  EXPECT_EQ(kLastDay, 3652058);
  CivilDate previous = CivilFromDays(-1);
  EXPECT_EQ(previous.year, 0);  // the proleptic year before 1
  for (std::int64_t d = 0; d <= kLastDay + 1; ++d) {
    const CivilDate date = CivilFromDays(d);
    ASSERT_EQ(DaysFromCivil(date.year, date.month, date.day), d);
    // Each day follows the one before: the next day, else the 1st of the next month.
    const bool nextDay = date.day == previous.day + 1 && date.month == previous.month;
    const bool nextMonth = date.day == 1 && (date.month == previous.month % 12 + 1);
    ASSERT_TRUE(nextDay || nextMonth) << d;
    previous = date;
  }
}

TEST(DateTimeText, ShowsTicksAsRoundedMillisecondsAndAnyDateTheDaysGive) {
  const auto dt = [](std::int64_t days, std::int64_t ticks) { return Le(ticks, 4) + Le(days, 4); };
  const std::vector<Case> dateTimeCases = {
      {dt(0, 0), "1900-01-01 00:00:00.000"},
      {dt(0, 1), "1900-01-01 00:00:00.003"},
      {dt(0, 2), "1900-01-01 00:00:00.007"},
      {dt(0, 299), "1900-01-01 00:00:00.997"},
      {dt(0, 300), "1900-01-01 00:00:01.000"},
      {dt(0, 25919999), "1900-01-01 23:59:59.997"},  // the last tick of a day stays in it
      {dt(2958463, 25919999), "9999-12-31 23:59:59.997"},
      {dt(-1, 0), "1899-12-31 00:00:00.000"},
      {dt(-53690, 0), "1753-01-01 00:00:00.000"},
      {dt(-53691, 0), "1752-12-31 00:00:00.000"},  // damaged: the computed date, not 1753
      {dt(-693595, 0), "0001-01-01 00:00:00.000"},
      {dt(-693596, 0), ""},   // before year 1
      {dt(2958464, 0), ""},   // after 9999-12-31
      {dt(0, 25920000), ""},  // a whole day of ticks
      {dt(0, -1), ""},
      {Hex("9853f400e5b00000"), "2023-12-27 14:49:33.947"},  // datetime-iv
      {Hex("3f531b01e5b00000"), "2023-12-27 17:11:33.330"},  // sqlvar-iv-datetime, value bytes
  };
  ExpectTexts(DateTimeText, dateTimeCases);
}

TEST(DateForms, SmallDateTimeAndDateCoverTheirWholeRange) {
  const auto sdt = [](std::int64_t days, std::int64_t minutes) {
    return Le(minutes, 2) + Le(days, 2);
  };
  const std::vector<Case> smallDateTimeCases = {
      {sdt(0, 0), "1900-01-01 00:00:00"},
      {sdt(65535, 1439), "2079-06-06 23:59:00"},
      {sdt(0, 1440), ""},
      {Hex("7a03e5b0"), "2023-12-27 14:50:00"},  // smalldatetime-iv
      {Hex("0804e5b0"), "2023-12-27 17:12:00"},  // sqlvar-iv-smalldatetime, value bytes
  };
  ExpectTexts(SmallDateTimeText, smallDateTimeCases);
  const std::vector<Case> dateCases = {
      {Le(0, 3), "0001-01-01"},       {Le(730178, 3), "2000-02-29"},  // a leap day
      {Le(3652058, 3), "9999-12-31"}, {Le(3652059, 3), ""},
      {Le(0xFFFFFF, 3), ""},          {Hex("40460b"), "2023-12-27"},  // date-iv
  };
  ExpectTexts(DateText, dateCases);
}

TEST(TimeForms, FractionHasExactlyScaleDigitsAndDateFollowsTheTime) {
  const std::vector<int> widths = {3, 3, 3, 4, 4, 5, 5, 5};  // by scale 0-7
  for (std::size_t scale = 0; scale < widths.size(); ++scale) {
    EXPECT_EQ(TimeWidth(static_cast<int>(scale)), widths[scale]);
  }
  EXPECT_EQ(TimeWidth(-1), 0);
  EXPECT_EQ(TimeWidth(8), 0);

  struct ScaledCase {
    int scale;
    Bytes bytes;
    std::string text;
  };
  const std::vector<ScaledCase> times = {
      {0, Le(0, 3), "00:00:00"},
      {0, Le(86399, 3), "23:59:59"},
      {0, Le(86400, 3), ""},
      {1, Le(10, 3), "00:00:01.0"},
      {3, Le(43200050, 4), "12:00:00.050"},
      {7, Le(0, 5), "00:00:00.0000000"},
      {7, Le(863999999999, 5), "23:59:59.9999999"},
      {7, Le(864000000000, 5), ""},
      {8, Le(0, 5), ""},
      {-1, Le(0, 5), ""},
  };
  for (const ScaledCase& c : times) {
    EXPECT_EQ(TimeText(View(c.bytes), c.scale), c.text) << "time(" << c.scale << ")";
  }
  const std::vector<ScaledCase> dateTimes = {
      {0, Le(0, 3) + Le(0, 3), "0001-01-01 00:00:00"},
      {7, Le(863999999999, 5) + Le(3652058, 3), "9999-12-31 23:59:59.9999999"},
      {7, Hex("c0e3e2408d40460b"), "2023-12-27 16:51:07.9000000"},  // datetime2-iv-7
      {2, Le(5, 3) + Le(0, 3), "0001-01-01 00:00:00.05"},
      {0, Le(0, 3) + Le(3652059, 3), ""},
  };
  for (const ScaledCase& c : dateTimes) {
    EXPECT_EQ(DateTime2Text(View(c.bytes), c.scale), c.text) << "datetime2(" << c.scale << ")";
  }
}

TEST(DateTimeOffsetText, ShowsLocalTimeWithTheDateCarriedBothWays) {
  struct OffsetCase {
    int scale;
    std::int64_t utcDay;
    std::int64_t utcUnits;  // 10^-scale s since midnight
    std::int64_t offset;    // minutes
    std::string text;
  };
  const std::vector<OffsetCase> cases = {
      {0, 737952, 1, -360, "2021-06-11 18:00:01 -06:00"},
      {0, 737952, 1, 330, "2021-06-12 05:30:01 +05:30"},
      {0, 737951, 72000, 300, "2021-06-12 01:00:00 +05:00"},
      {7, 737789, 84600LL * 10000000 + 1234567, 60, "2021-01-01 00:30:00.1234567 +01:00"},
      {3, 737790, 0, -60, "2020-12-31 23:00:00.000 -01:00"},
      {0, 737790, 0, 0, "2021-01-01 00:00:00 +00:00"},
      {0, 737790, 0, 840, "2021-01-01 14:00:00 +14:00"},
      {0, 737790, 0, -841, ""},  // offsets end at 14 hours
      {0, 0, 0, -60, ""},        // local time before 0001-01-01
      {0, 3652058, 84600, 60, ""},
  };
  for (const OffsetCase& c : cases) {
    const std::size_t width = static_cast<std::size_t>(TimeWidth(c.scale));
    const Bytes bytes = Le(c.utcUnits, width) + Le(c.utcDay, 3) + Le(c.offset, 2);
    EXPECT_EQ(DateTimeOffsetText(View(bytes), c.scale), c.text) << "offset " << c.offset;
  }
  EXPECT_EQ(DateTimeOffsetText(View(Hex("c0e3e2408d40460b0000")), 7),  // dto-iv-7
            "2023-12-27 16:51:07.9000000 +00:00");
  EXPECT_EQ(DateTimeOffsetText(View(Hex("20ab4c1b9040460b0000")), 7),  // sqlvar-iv-datetimeoffset
            "2023-12-27 17:11:33.3300000 +00:00");
}

TEST(MoneyText, IsExactWithFourDecimalsOverTheWholeRange) {
  const std::int64_t min64 = std::numeric_limits<std::int64_t>::min();
  const std::int64_t max64 = std::numeric_limits<std::int64_t>::max();
  const std::vector<Case> moneyCases = {
      {Le(min64, 8), "-922337203685477.5808"},
      {Le(max64, 8), "922337203685477.5807"},
      {Le(-1, 8), "-0.0001"},
      {Le(1, 8), "0.0001"},
      {Le(0, 8), "0.0000"},
      {Le(1234500, 8), "123.4500"},
      {Le(-123456, 8), "-12.3456"},
      {Hex("0000000001000000"), "429496.7296"},  // the high 32 bits follow the low ones
      {Hex("d0cf320000000000"), "333.0000"},     // sqlvar-iv-money, value bytes
  };
  ExpectTexts(MoneyText, moneyCases);
  const std::vector<Case> smallMoneyCases = {
      {Le(std::numeric_limits<std::int32_t>::min(), 4), "-214748.3648"},
      {Le(std::numeric_limits<std::int32_t>::max(), 4), "214748.3647"},
      {Le(0, 4), "0.0000"},
      {Le(-5, 4), "-0.0005"},
  };
  ExpectTexts(SmallMoneyText, smallMoneyCases);
}

TEST(DecimalText, PlacesThePointExactlyOverThirtyEightDigits) {
  struct DecimalCase {
    int precision;
    int scale;
    Bytes bytes;
    std::string text;
  };
  const Bytes max38 = Hex("ffffffff3f228a097ac4865aa84c3b4b");  // 10^38 - 1
  const std::vector<DecimalCase> cases = {
      {38, 0, Le(1, 1) + max38, "99999999999999999999999999999999999999"},
      {38, 38, Le(1, 1) + max38, "0.99999999999999999999999999999999999999"},
      {38, 0, Le(1, 1) + Hex("0000000040228a097ac4865aa84c3b4b"), ""},  // 10^38
      {9, 2, Le(0, 1) + Le(12345, 4), "-123.45"},
      {9, 2, Le(1, 1) + Le(5, 4), "0.05"},
      {9, 2, Le(0, 1) + Le(50, 4), "-0.50"},
      {5, 2, Le(0, 1) + Le(0, 4), "0.00"},
      {5, 5, Le(1, 1) + Le(1, 4), "0.00001"},
      {18, 4, Le(1, 1) + Le(123456789012345678, 8), "12345678901234.5678"},
      {28, 10, Le(1, 1) + Hex("000000000000000001000000"), "1844674407.3709551616"},  // 2^64
      {18, 0, Hex("014d010000"), "333"},  // sqlvar-iv-decimal: 4 magnitude bytes for (18,0)
      {9, 0, Le(1, 1), "0"},
      // No more digits than the precision: numeric(7,3) holds 9999.999 at most.
      {7, 3, Le(1, 1) + Le(9999999, 4), "9999.999"},
      {7, 3, Le(1, 1) + Le(10000000, 4), ""},
      {2, 2, Le(1, 1) + Le(5, 4), "0.05"},
      {9, 0, Le(2, 1) + Le(5, 4), ""},  // a sign byte SQL Server never writes
      {0, 0, Le(1, 1) + Le(5, 4), ""},
      {39, 0, Le(1, 1) + Le(5, 4), ""},
      {9, 10, Le(1, 1) + Le(5, 4), ""},
  };
  for (const DecimalCase& c : cases) {
    EXPECT_EQ(DecimalText(View(c.bytes), c.precision, c.scale), c.text)
        << "decimal(" << c.precision << "," << c.scale << ")";
  }
}

Bytes DoubleBytes(double value) { return Le(std::bit_cast<std::int64_t>(value), 8); }
Bytes FloatBytes(float value) { return Le(std::bit_cast<std::int32_t>(value), 4); }

TEST(FloatForms, ShortestTextWithExponentOnlyOutsideTheUsualRange) {
  const std::vector<Case> floatCases = {
      {DoubleBytes(0.0), "0"},
      {DoubleBytes(-0.0), "0"},
      {DoubleBytes(0.1), "0.1"},
      {DoubleBytes(-2.5), "-2.5"},
      {DoubleBytes(100), "100"},
      {DoubleBytes(1e-5), "0.00001"},
      {DoubleBytes(1e-7), "1e-07"},
      {DoubleBytes(-1.234e-7), "-1.234e-07"},
      {DoubleBytes(-123.456789012345), "-123.456789012345"},
      {DoubleBytes(123456789012345.0), "123456789012345"},
      {DoubleBytes(1e15), "1e+15"},
      {DoubleBytes(1.5e300), "1.5e+300"},
      {DoubleBytes(std::numeric_limits<double>::max()), "1.7976931348623157e+308"},
      {DoubleBytes(std::numeric_limits<double>::denorm_min()), "5e-324"},
      {DoubleBytes(std::numeric_limits<double>::quiet_NaN()), "NaN"},
      {DoubleBytes(-std::numeric_limits<double>::infinity()), "-Infinity"},
      {Hex("0000000000d07440"), "333"},  // sqlvar-iv-float, value bytes
  };
  ExpectTexts(FloatText, floatCases);
  const std::vector<Case> realCases = {
      {FloatBytes(1234.567f), "1234.567"},
      {FloatBytes(0.1f), "0.1"},
      {FloatBytes(-1.5f), "-1.5"},
      {FloatBytes(1e-5f), "0.00001"},
      {FloatBytes(1e-7f), "1e-07"},
      {FloatBytes(1e15f), "1e+15"},
      {FloatBytes(std::numeric_limits<float>::max()), "3.4028235e+38"},
      {FloatBytes(std::numeric_limits<float>::infinity()), "Infinity"},
      {Hex("0080a643"), "333"},  // sqlvar-iv-real, value bytes
  };
  ExpectTexts(RealText, realCases);
}

// Parses a text back with from_chars; true when it gives exactly `value`.
template <typename T>
bool ReadsBackAs(const std::string& text, T value) {
  T parsed{};
  const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() &&
         std::memcmp(&parsed, &value, sizeof(T)) == 0;
}

TEST(FloatForms, EveryFiniteValueReadsBackFromItsText) {
  std::uint64_t state = 0x9E3779B97F4A7C15u;  // a fixed walk over bit patterns
  for (int i = 0; i < 200000; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    const auto d = std::bit_cast<double>(state);
    const auto f = std::bit_cast<float>(static_cast<std::uint32_t>(state >> 32));
    const std::string dText = FloatText(View(DoubleBytes(d)));
    const std::string fText = RealText(View(FloatBytes(f)));
    if (!std::isfinite(d)) {
      EXPECT_EQ(dText, std::isnan(d) ? "NaN" : d < 0 ? "-Infinity" : "Infinity");
    } else if (d != 0) {
      ASSERT_TRUE(ReadsBackAs(dText, d)) << dText;
      const bool plain = std::fabs(d) >= 1e-5 && std::fabs(d) < 1e15;
      EXPECT_EQ(dText.find('e') == std::string::npos, plain) << dText;
    }
    if (!std::isfinite(f)) {
      EXPECT_EQ(fText, std::isnan(f) ? "NaN" : f < 0 ? "-Infinity" : "Infinity");
    } else if (f != 0) {
      ASSERT_TRUE(ReadsBackAs(fText, f)) << fText;
    }
  }
}

TEST(TextForms, AValueShorterThanItsTypeGivesTheEmptyText) {
  struct Form {
    const char* name;
    std::function<std::string(ByteView)> text;
    std::size_t needed;
  };
  const std::vector<Form> forms = {
      {"datetime", DateTimeText, 8},
      {"smalldatetime", SmallDateTimeText, 4},
      {"date", DateText, 3},
      {"time(2)", [](ByteView b) { return TimeText(b, 2); }, 3},
      {"time(4)", [](ByteView b) { return TimeText(b, 4); }, 4},
      {"time(7)", [](ByteView b) { return TimeText(b, 7); }, 5},
      {"datetime2(3)", [](ByteView b) { return DateTime2Text(b, 3); }, 7},
      {"datetimeoffset(7)", [](ByteView b) { return DateTimeOffsetText(b, 7); }, 10},
      {"money", MoneyText, 8},
      {"smallmoney", SmallMoneyText, 4},
      {"decimal(9,2)", [](ByteView b) { return DecimalText(b, 9, 2); }, 1},
      {"float", FloatText, 8},
      {"real", RealText, 4},
  };
  const Bytes zeros(16, 0);  // all zero bytes are a valid value of every form above
  for (const Form& form : forms) {
    EXPECT_NE(form.text(ByteView(zeros.data(), form.needed)), "") << form.name;
    for (std::size_t size = 0; size < form.needed; ++size) {
      EXPECT_EQ(form.text(ByteView(zeros.data(), size)), "") << form.name << " of " << size;
    }
  }
}

// The quoted text after `key` in one vector's JSON text; empty when absent.
// The fields read here hold no escaped characters.
std::string Field(const std::string& object, const std::string& key) {
  const std::size_t at = object.find("\"" + key + "\":");
  if (at == std::string::npos) return {};
  const std::size_t open = object.find('"', at + key.size() + 3);
  const std::size_t close = object.find('"', open + 1);
  if (open == std::string::npos || close == std::string::npos) return {};
  return object.substr(open + 1, close - open - 1);
}

// The text form for a type name as the vectors spell it ("time(3)", "date").
std::string TextOf(const std::string& type, ByteView bytes) {
  const std::size_t paren = type.find('(');
  const std::string name = type.substr(0, paren);
  const int scale = paren == std::string::npos ? 0 : std::stoi(type.substr(paren + 1));
  if (name == "time") return TimeText(bytes, scale);
  if (name == "datetime2") return DateTime2Text(bytes, scale);
  if (name == "datetimeoffset") return DateTimeOffsetText(bytes, scale);
  if (name == "date") return DateText(bytes);
  if (name == "datetime") return DateTimeText(bytes);
  if (name == "smalldatetime") return SmallDateTimeText(bytes);
  return "(no form for " + type + ")";
}

TEST(TextForms, MatchTheDateAndTimeByteVectors) {
  TESSARIL_REQUIRE_CORPUS();
  const auto path = *testing::CorpusDir() / "vectors" / "vectors.json";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no " << path;
  const Bytes file = testing::ReadWholeFile(path);
  const std::string json(file.begin(), file.end());
  int checked = 0;
  // Each vector starts with its id; its text runs to the next id.
  const std::string idKey = "\"id\":";
  for (std::size_t at = json.find(idKey); at != std::string::npos;) {
    const std::size_t next = json.find(idKey, at + 1);
    const std::string object = json.substr(at, next == std::string::npos ? next : next - at);
    at = next;
    const std::string kind = Field(object, "kind");
    if (kind != "time" && kind != "datetime2" && kind != "datetimeoffset" &&
        kind != "date_time_other") {
      continue;
    }
    const std::string id = Field(object, "id");
    EXPECT_EQ(TextOf(Field(object, "types"), View(Hex(Field(object, "hex")))),
              Field(object, "decoded"))
        << id;
    ++checked;
  }
  EXPECT_GT(checked, 0) << "no date or time vectors found in " << path;
}

}  // namespace
}  // namespace tessaril
