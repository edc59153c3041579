#include "catalog/column_row.h"

#include <cinttypes>
#include <cstdio>

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

std::string IdentityText(ByteView d) {
  const std::size_t n = d.size();
  long long seed = 1;
  long long increment = 1;
  if (n >= 24 && LoadU32(d, 0) != 0 && LoadU32(d, 4) == 0) {
    seed = static_cast<long long>(LoadU64(d, 8));
    increment = static_cast<long long>(LoadU64(d, 16));
  } else if (n >= 12) {
    seed = static_cast<long long>(LoadU32(d, 4));
    increment = static_cast<long long>(LoadU32(d, 8));
  } else if (n >= 6) {
    seed = static_cast<long long>(LoadU16(d, 2));
    increment = static_cast<long long>(LoadU16(d, 4));
  }
  if (increment == 0) increment = 1;
  char text[64];
  std::snprintf(text, sizeof text, "identity(%lld,%lld)", seed, increment);
  return text;
}

}  // namespace tessaril
