#include "base/code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaril {
namespace {

ByteView View(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

struct Case {
  std::uint32_t codePage;
  std::string bytes;
  std::string utf8;
};

TEST(CodePage, DecodesEachSupportedCodePage) {
  const std::vector<Case> cases = {
      {1252, "Caf\xE9 \x80", "Caf\u00E9 \u20AC"},
      {1252, "\x81\x9D", "\u0081\u009D"},  // undefined in 1252: C1 code point kept
      {1250, "\x8A\xE8", "\u0160\u010D"},
      {1251, "\xCF\xF0\xE8", "\u041F\u0440\u0438"},
      {1253, "\xC1\xE2", "\u0391\u03B2"},
      {1253, "\xAA", "\uFFFD"},  // undefined outside C1
      {1254, "\xD0\xFE", "\u011E\u015F"},
      {1255, "\xE0", "\u05D0"},
      {1256, "\xC7", "\u0627"},
      {1257, "\xC0", "\u0104"},
      {1258, "\xC3", "\u0102"},
      {874, "\xA1", "\u0E01"},
      {437, "\x80\xB0", "\u00C7\u2591"},
      {850, "\x9B", "\u00F8"},
      {932, "\x82\xA0\x93\xFA", "\u3042\u65E5"},
      {936, "\xD6\xD0", "\u4E2D"},
      {949, "\xC7\xD1", "\uD55C"},
      {950, "\xA4\xA4", "\u4E2D"},
      {65001, "\xE2\x82\xAC", "\u20AC"},
      {12345, "\x80", "\u20AC"},  // unknown code page: 1252
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CodePageToUtf8(View(c.bytes), c.codePage), c.utf8) << "code page " << c.codePage;
  }
}

TEST(CodePage, DamagedMultiByteTextIsReplacedNotDropped) {
  const std::vector<Case> cases = {
      {932, "A\x82", "A\uFFFD"},  // lead byte cut off at the end
      {932,
       "\x82\xA0\xFF"
       "B",
       "\u3042\uFFFDB"},  // invalid byte in the middle
      {65001,
       "a\xFF"
       "b",
       "a\uFFFDb"},
  };
  CodePageDecoder decoder(932);
  for (const Case& c : cases) {
    EXPECT_EQ(CodePageToUtf8(View(c.bytes), c.codePage), c.utf8) << "code page " << c.codePage;
  }
  // A decoder is reusable: no shift state leaks from one value to the next.
  EXPECT_EQ(decoder.ToUtf8(View("A\x82")), "A\uFFFD");
  EXPECT_EQ(decoder.ToUtf8(View("\x82\xA0")), "\u3042");
}

TEST(CodePage, EffectiveCodePageFallsBackTo1252) {
  EXPECT_EQ(EffectiveCodePage(0), 1252u);
  EXPECT_EQ(EffectiveCodePage(1251), 1251u);
  EXPECT_EQ(CodePageDecoder(0).codePage(), 1252u);
}

}  // namespace
}  // namespace tessaril
