#include "base/display_width.h"

#include <gtest/gtest.h>

namespace tessaril {
namespace {

TEST(DisplayWidth, CountsTerminalColumns) {
  const struct {
    const char* text;
    std::size_t columns;
  } cases[] = {
      {"", 0},
      {"abc", 3},
      {"Студенты", 8},                  // Cyrillic: one column a letter
      {"\xE5\xAD\xA6\xE7\x94\x9F", 4},  // 学生: two columns each
      {"\xEA\xB0\x80"
       "a",
       3},                      // Hangul syllable, then a Latin letter
      {"\xEF\xBC\xA1", 2},      // fullwidth A
      {"e\xCC\x81", 1},         // e and a combining acute accent
      {"\xF0\xA0\x80\x80", 2},  // an ideograph of the supplementary plane
      {"a\x01", 1},             // a control character takes no column
      {"\xFF", 1},              // a malformed byte is shown as one replacement character
  };
  for (const auto& c : cases) EXPECT_EQ(DisplayWidth(c.text), c.columns) << c.text;
}

}  // namespace
}  // namespace tessaril
