// 8-bit text of a Windows code page to UTF-8.
//
// char, varchar and text values, and names in old catalogs, are stored in the
// code page of their collation. When the code page is not known the
// database's default is used, and failing that 1252.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "base/byte_view.h"

namespace tessaril {

inline constexpr std::uint32_t kDefaultCodePage = 1252;
inline constexpr std::uint32_t kUtf8CodePage = 65001;

// True for the code pages this decoder knows (874, 932, 936, 949, 950,
// 1250-1258, 437, 850, 65001).
bool IsKnownCodePage(std::uint32_t codePage);

// The code page to use for 8-bit text: the given one when known, else 1252.
std::uint32_t EffectiveCodePage(std::uint32_t codePage);

// Decodes bytes of one code page. Single-byte pages go through a 256-entry
// table; double-byte pages through iconv. Bytes the code page leaves undefined
// become U+FFFD, except 0x80-0x9F, which keep their C1 code point as Windows
// does. Not thread-safe: give each thread its own decoder.
class CodePageDecoder {
 public:
  // An unknown code page decodes as 1252.
  explicit CodePageDecoder(std::uint32_t codePage);
  ~CodePageDecoder();
  CodePageDecoder(CodePageDecoder&&) noexcept;
  CodePageDecoder& operator=(CodePageDecoder&&) noexcept;

  std::uint32_t codePage() const { return codePage_; }
  std::string ToUtf8(ByteView bytes) const;

 private:
  struct Iconv;
  std::uint32_t codePage_;
  std::array<char32_t, 256> table_{};
  std::unique_ptr<Iconv> iconv_;  // only for double-byte code pages
};

// One-off conversion; prefer a CodePageDecoder in loops.
std::string CodePageToUtf8(ByteView bytes, std::uint32_t codePage);

}  // namespace tessaril
