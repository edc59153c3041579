#include "base/unicode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaril {
namespace {

ByteView View(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(Unicode, Utf16LeDecodesBmpAndSurrogatePairs) {
  const std::string bytes("s\0a\0\xAC\x20\x3D\xD8\x00\xDE", 10);  // "sa€😀"
  EXPECT_EQ(Utf16LeToUtf8(View(bytes)), "sa\u20AC\U0001F600");
}

TEST(Unicode, DamagedUtf16BecomesReplacementNotGarbage) {
  struct Case {
    std::string bytes;
    std::string utf8;
  };
  const std::vector<Case> cases = {
      {std::string("\x3D\xD8"
                   "a\0",
                   4),
       "\uFFFDa"},                             // high surrogate without its pair
      {std::string("\x00\xDE", 2), "\uFFFD"},  // lone low surrogate
      {std::string("a\0b", 3), "a"},           // odd trailing byte dropped
      {std::string(), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf16LeToUtf8(View(c.bytes)), c.utf8);
}

TEST(Unicode, Utf8RoundTripsThroughUtf16Le) {
  const std::string text = "CorvaneSQL \u00E6\u00F8\u00E5 \u65E5\u672C \U0001F600";
  const std::string le = Utf8ToUtf16LeBytes(text);
  EXPECT_EQ(Utf16LeToUtf8(View(le)), text);
  EXPECT_EQ(Utf8ToUtf16LeBytes("\r\n"), std::string("\r\0\n\0", 4));
}

TEST(Unicode, MalformedUtf8BecomesReplacement) {
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a\xC3")), "a\uFFFD");                    // truncated
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xC0\xAF")), "\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xED\xA0\x80")), "\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xE2\x82"
                                    "A")),
            "\uFFFD\uFFFDA");  // cut short
}

}  // namespace
}  // namespace tessaril

namespace tessaril {
namespace {

TEST(Unicode, FoldCaseMakesCapitalsSmallInTheScriptsOfNames) {
  EXPECT_EQ(FoldCase("Order Details"), "order details");
  EXPECT_EQ(FoldCase("\xC3\x89TUDIANTS"), "\xC3\xA9tudiants");  // ÉTUDIANTS
  EXPECT_EQ(FoldCase("\xD0\xA1\xD1\x82\xD1\x83\xD0\xB4\xD0\xB5\xD0\xBD\xD1\x82\xD1\x8B"),
            "\xD1\x81\xD1\x82\xD1\x83\xD0\xB4\xD0\xB5\xD0\xBD\xD1\x82\xD1\x8B");  // Студенты
  EXPECT_EQ(FoldCase("\xE5\xAD\xA6\xE7\x94\x9F"), "\xE5\xAD\xA6\xE7\x94\x9F");  // 学生 unchanged
  EXPECT_EQ(FoldCase("\xC3\x97"), "\xC3\x97");  // the multiplication sign has no small form
}

}  // namespace
}  // namespace tessaril
