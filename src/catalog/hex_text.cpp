#include "catalog/hex_text.h"

#include "base/code_page.h"
#include "base/unicode.h"

namespace tessaril {

HexBytes DecodeHexText(std::string_view text) {
  HexBytes out;
  const auto digit = [](char ch) -> std::uint8_t {
    if (ch >= 'A' && ch <= 'F') return static_cast<std::uint8_t>(ch - 'A' + 10);
    return static_cast<std::uint8_t>(static_cast<unsigned char>(ch) & 0x0F);
  };
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    const auto byte =
        static_cast<std::uint8_t>(((digit(text[i]) << 4) & 0xFF) ^ digit(text[i + 1]));
    if (byte == 0 && !out.bytes.empty()) out.hasInnerZero = true;
    out.bytes.push_back(byte);
  }
  return out;
}

std::string SingleByteText(ByteView bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) AppendUtf8(text, bytes.At(i));
  return text;
}

std::string HexTextToString(std::string_view text, std::uint32_t codePage) {
  const HexBytes hex = DecodeHexText(text);
  const ByteView bytes(hex.bytes.data(), hex.bytes.size());
  return hex.hasInnerZero ? Utf16LeToUtf8(bytes) : CodePageToUtf8(bytes, codePage);
}

}  // namespace tessaril
