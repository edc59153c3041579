// Column rows and the internal type codes every value step dispatches on.
#pragma once

#include <cstdint>
#include <string>

#include "base/byte_view.h"

namespace tessaril {

// One row of the column table (2005 and later, or the 2000 layout).
struct ColumnRow {
  std::int32_t objectId = 0;
  std::int16_t number = 0;
  std::int32_t columnId = 0;
  std::string name;
  std::uint8_t systemType = 0;
  std::int32_t userType = 0;
  std::int16_t length = 0;  // bytes; -1 for the (max) types
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  std::int32_t collationId = 0;
  std::uint32_t status = 0;
  std::int16_t maxInRowLength = 0;
  std::int32_t defaultObjectId = 0;
  std::int32_t ruleObjectId = 0;
  std::string identityText;  // "identity(seed,increment)" for identity columns
  // 2000 layout only.
  std::int16_t offsetInRow = 0;  // xoffset
  std::uint8_t bitPosition = 0;
  std::uint8_t typeStatus = 0;  // bit 0: NOT NULL
};

// The internal type codes values are decoded by.
enum TypeCode : std::int32_t {
  kBigintCode = 0,
  kBinaryCode = 1,
  kBitCode = 2,
  kCharCode = 3,
  kDateTimeCode = 4,
  kDateCode = 5,
  kTimeCode = 6,
  kDateTime2Code = 7,
  kDateTimeOffsetCode = 8,
  kIntCode = 9,
  kNcharCode = 10,
  kNvarcharCode = 11,
  kSmallintCode = 13,
  kTinyintCode = 14,
  kUniqueIdentifierCode = 15,
  kVarbinaryCode = 16,
  kVarcharCode = 17,
  kNtextCode = 19,
  kSqlVariantCode = 20,
  kMoneyCode = 21,
  kFloatCode = 22,
  kNumericCode = 23,
  kDecimalCode = 24,
  kImageCode = 25,
  kTextCode = 26,
  kSmallDateTimeCode = 27,
  kRealCode = 28,
  kSmallMoneyCode = 29,
  kTimestampCode = 30,
  kHierarchyIdCode = 31,
  kGeometryCode = 32,
  kClrCode = 33,
  kXmlCode = 34,
};

// The internal code of a SQL Server system type (xtype); kCharCode for types
// not listed (char among them).
std::int32_t InternalTypeCode(std::uint8_t systemType);

// "identity(seed,increment)" from the identity value of a column row (the
// second variable column; autoval in SQL Server 2000): the last value, the
// seed and the increment, each as wide as the column's type stores it, then a
// byte of flags. A value too short to hold them gives identity(1,1), and an
// increment of 0 reads as 1.
std::string IdentityText(ByteView value, std::uint8_t systemType);

}  // namespace tessaril
