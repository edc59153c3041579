// Bytes as hexadecimal digits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_view.h"

namespace tessaril {

// Two digits a byte, no separators; upper case unless asked otherwise.
inline std::string HexDigits(ByteView bytes, bool upperCase = true) {
  const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text(bytes.size() * 2, '\0');
  char* out = text.data();
  for (std::uint8_t b : bytes.span()) {
    *out++ = digits[b >> 4];
    *out++ = digits[b & 0xF];
  }
  return text;
}

// The bytes of hexadecimal digits (either case) into bytes, replacing what
// it held; a digit left over at the end, or a character that is no digit,
// ends the bytes there.
inline void DecodeHexDigitsInto(std::string_view text, std::vector<std::uint8_t>& bytes) {
  const auto value = [](char ch) -> int {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
  };
  bytes.clear();
  bytes.reserve(text.size() / 2);
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const int high = value(text[i]);
    const int low = value(text[i + 1]);
    if (high < 0 || low < 0) break;
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
}

inline std::vector<std::uint8_t> DecodeHexDigits(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  DecodeHexDigitsInto(text, bytes);
  return bytes;
}

}  // namespace tessaril
