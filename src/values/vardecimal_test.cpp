#include "values/vardecimal.h"

#include <gtest/gtest.h>

#include "testing/record_builder.h"

namespace tessaril {
namespace {

struct VarDecimalCase {
  const char* hex;
  int scale;
  const char* text;
};

TEST(VarDecimal, ReadsSignExponentAndDigitGroups) {
  const VarDecimalCase cases[] = {
      {"c4031590", 0, "12345"},    // 10^4, groups 012 345
      {"c1031590", 3, "12.345"},   // 10^1
      {"41031590", 3, "-12.345"},  // sign bit clear
      {"c24b", 2, "300.00"},       // group 300; the dropped groups are zeros
      {"bf7d00", 2, "0.50"},       // 10^-1, group 500
      {"bd0140", 3, "0.005"},      // 10^-3, group 005
      {"3d0140", 4, "-0.0050"},    // negative, negative exponent
      {"", 2, "0.00"},             // no bytes: zero
      {"c1ffc0", 2, ""},           // a group above 999
      {"c1031590", 2, ""},         // a nonzero digit beyond the scale
  };
  for (const VarDecimalCase& c : cases) {
    const testing::Bytes bytes = testing::Hex(c.hex);
    EXPECT_EQ(VarDecimalText(ByteView(bytes.data(), bytes.size()), 38, c.scale), c.text) << c.hex;
  }
}

}  // namespace
}  // namespace tessaril
