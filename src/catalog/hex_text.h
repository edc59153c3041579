// Values kept as hexadecimal text ("0x4100...") and their decoding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_view.h"

namespace tessaril {

// "0x4100..." to bytes; hasInnerZero when a byte other than the first is 0.
struct HexBytes {
  std::vector<std::uint8_t> bytes;
  bool hasInnerZero = false;
};
HexBytes DecodeHexText(std::string_view text);
// Text stored one byte a character: each byte is the character below U+0100
// of that number.
std::string SingleByteText(ByteView bytes);
// The bytes of a hex text as UTF-16 when they hold an inner zero byte, else
// as 8-bit text of codePage.
std::string HexTextToString(std::string_view text, std::uint32_t codePage = 1252);

}  // namespace tessaril
