#include "values/scsu.h"

#include <gtest/gtest.h>

#include <string>

#include "base/unicode.h"
#include "testing/record_builder.h"

namespace tessaril {
namespace {

std::string Decode(const std::string& hex) {
  const testing::Bytes bytes = testing::Hex(hex);
  return Utf16ToUtf8(DecodeScsu(ByteView(bytes.data(), bytes.size())));
}

struct ScsuCase {
  const char* what;
  const char* hex;
  const char* text;
};

TEST(Scsu, DecodesWindowsTagsAndModes) {
  const ScsuCase cases[] = {
      {"German, window 0", "d66c20666c6965df74", "Öl fließt"},
      {"Russian, change to window 2", "129cbec1bab2b0", "Москва"},
      {"Latin, Unicode mode, back to window 0", "410f3042e043", "AあC"},
      {"Latin and Japanese in window 5", "15a7a7a7414141414141a7a741a758", "でででAAAAAAででAでX"},
      {"quote from window 7, then window 5", "08de15a782cc", "～であれ"},
      {"quoted unit in single-byte mode", "48690e5c71", "Hi山"},
      {"defined window 0x30A0 by table index", "1dfe82", "ア"},
      {"supplementary window", "0b01ec80", "\xF0\x9F\x98\x80"},
      {"surrogate pair in Unicode mode", "0fd83dde00", "\xF0\x9F\x98\x80"},
      {"trailing SC0 pads an even stream", "4772617910", "Gray"},
      {"a tag without its argument ends the text", "41420e5c", "AB"},
      {"a reserved window ends the text", "41180042", "A"},
  };
  for (const ScsuCase& c : cases) EXPECT_EQ(Decode(c.hex), c.text) << c.what;
}

TEST(Scsu, EveryValueStartsFromTheInitialWindows) {
  EXPECT_EQ(Decode("1281"), "Ё");     // window 2 (U+0400) changed to
  EXPECT_EQ(Decode("81"), "\u0081");  // the next value: window 0 again
}

}  // namespace
}  // namespace tessaril
