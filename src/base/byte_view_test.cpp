#include "base/byte_view.h"

#include <gtest/gtest.h>

#include <array>

namespace tessaril {
namespace {

constexpr std::array<std::uint8_t, 10> kBytes = {0x01, 0x02, 0x03, 0x04, 0x05,
                                                 0x06, 0x07, 0x08, 0xFF, 0xFF};

TEST(ByteCursor, ReadsLittleEndianWidths) {
  ByteCursor c(ByteView(kBytes.data(), kBytes.size()));
  EXPECT_EQ(c.U8(), 0x01);
  EXPECT_EQ(c.U16(), 0x0302);
  EXPECT_EQ(c.U32(), 0x07060504u);
  EXPECT_EQ(c.U8(), 0x08);
  EXPECT_EQ(c.I16(), -1);
  EXPECT_TRUE(c.ok());
  EXPECT_EQ(c.remaining(), 0u);
  EXPECT_EQ(ByteCursor(ByteView(kBytes.data(), kBytes.size())).U64(), 0x0807060504030201u);
}

TEST(ByteCursor, ReadPastEndYieldsZeroAndLatches) {
  ByteCursor c(ByteView(kBytes.data(), kBytes.size()), 8);
  EXPECT_EQ(c.U32(), 0u);  // only two bytes remain
  EXPECT_FALSE(c.ok());
  EXPECT_EQ(c.U8(), 0u);  // stays failed even though a byte would fit
  EXPECT_EQ(c.position(), 8u);

  ByteCursor seek(ByteView(kBytes.data(), kBytes.size()));
  seek.Seek(11);
  EXPECT_FALSE(seek.ok());
  ByteCursor bytes(ByteView(kBytes.data(), kBytes.size()), 4);
  EXPECT_EQ(bytes.Bytes(6).size(), 6u);
  EXPECT_TRUE(bytes.Bytes(1).empty());
  EXPECT_FALSE(bytes.ok());
}

TEST(ByteView, SubAndContainsNeverReachPastTheEnd) {
  const ByteView v(kBytes.data(), kBytes.size());
  EXPECT_TRUE(v.Contains(0, 10));
  EXPECT_TRUE(v.Contains(10, 0));
  EXPECT_FALSE(v.Contains(9, 2));
  EXPECT_FALSE(v.Contains(2, SIZE_MAX));  // offset + length overflows
  EXPECT_EQ(v.Sub(8).size(), 2u);
  EXPECT_EQ(v.Sub(4, 100).size(), 6u);
  EXPECT_TRUE(v.Sub(11, 1).empty());
  EXPECT_EQ(v.At(9), 0xFF);
  EXPECT_EQ(v.At(10), 0);
  EXPECT_EQ(LoadU32(v, 6), 0xFFFF0807u);
  EXPECT_EQ(LoadU32(v, 7), 0u);
}

}  // namespace
}  // namespace tessaril
