// Bytes as hexadecimal digits.
#pragma once

#include <string>

#include "base/byte_view.h"

namespace tessaril {

// Two digits a byte, no separators; upper case unless asked otherwise.
inline std::string HexDigits(ByteView bytes, bool upperCase = true) {
  const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes.span()) {
    text.push_back(digits[b >> 4]);
    text.push_back(digits[b & 0xF]);
  }
  return text;
}

}  // namespace tessaril
