#include "base/unicode.h"

namespace tessaril {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Writes the UTF-8 bytes of cp at out (room for four), a lone surrogate or a
// value past U+10FFFF as U+FFFD; returns the end of what it wrote.
char* PutUtf8(char* out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// Straight into a string of the text's exact length, worked out first, so
// that a short text stays within the string's own room and a long one takes
// one allocation of its size.
template <class NextUnit>
std::string DecodeUtf16(std::size_t count, NextUnit unitAt) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t unit = unitAt(i);
    if (unit < 0x80) {
      length += 1;
    } else if (unit < 0x800) {
      length += 2;
    } else if (IsHighSurrogate(unit) && i + 1 < count && IsLowSurrogate(unitAt(i + 1))) {
      length += 4;
      ++i;
    } else {
      length += 3;  // the unit, or U+FFFD for a lone surrogate
    }
  }
  std::string out(length, '\0');
  char* at = out.data();
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t unit = unitAt(i);
    if (unit < 0x80) {
      *at++ = static_cast<char>(unit);
    } else if (IsHighSurrogate(unit) && i + 1 < count && IsLowSurrogate(unitAt(i + 1))) {
      const char32_t low = unitAt(++i);
      at = PutUtf8(at, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
    } else {
      at = PutUtf8(at, unit);
    }
  }
  return out;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  char bytes[4];
  out.append(bytes, static_cast<std::size_t>(PutUtf8(bytes, cp) - bytes));
}

char32_t NextUtf8(std::string_view text, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  std::size_t length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    ++pos;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1Fu, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0Fu, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07u, minimum = 0x10000;
  } else {
    ++pos;
    return kReplacement;
  }
  // Any fault (truncation, a bad continuation byte, an overlong form, a
  // surrogate, a value past U+10FFFF) consumes the lead byte only; the bytes
  // after it are then judged on their own.
  if (pos + length > text.size()) {
    ++pos;
    return kReplacement;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return kReplacement;
    }
    cp = (cp << 6) | (next & 0x3Fu);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return kReplacement;
  }
  pos += length;
  return cp;
}

std::string Utf16LeToUtf8(ByteView bytes) {
  const std::uint8_t* const units = bytes.data();
  const std::size_t count = bytes.size() / 2;  // whole units: 2 * i + 1 < size for i < count
  // ASCII text, the usual case, takes one pass and a byte a unit.
  std::size_t ascii = 0;
  while (ascii < count && units[2 * ascii + 1] == 0 && units[2 * ascii] < 0x80) ++ascii;
  if (ascii == count) {
    std::string out(count, '\0');
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<char>(units[2 * i]);
    return out;
  }
  return DecodeUtf16(count, [units](std::size_t i) {
    return static_cast<char32_t>(units[2 * i] | (units[2 * i + 1] << 8));
  });
}

std::string Utf16ToUtf8(std::u16string_view text) {
  return DecodeUtf16(text.size(), [&](std::size_t i) { return static_cast<char32_t>(text[i]); });
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) AppendUtf16(out, NextUtf8(text, pos));
  return out;
}

std::string Utf8ToUtf16LeBytes(std::string_view text) {
  const std::u16string units = Utf8ToUtf16(text);
  std::string out;
  out.reserve(units.size() * 2);
  for (char16_t unit : units) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  }
  return out;
}

namespace {

char32_t FoldCodePoint(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;     // Latin-1 capitals
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;  // Greek capitals
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;                // Cyrillic А-Я
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;                // Cyrillic Ѐ-Џ
  return c;
}

}  // namespace

std::string FoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) AppendUtf8(out, FoldCodePoint(NextUtf8(text, pos)));
  return out;
}

bool IsUtf16Text(ByteView bytes, bool (*keep)(std::uint16_t unit)) {
  if (bytes.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const std::uint16_t unit = LoadU16(bytes, i);
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 3 >= bytes.size()) return false;
      const std::uint16_t low = LoadU16(bytes, i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return false;
      i += 2;
      continue;
    }
    if ((unit >= 0xDC00 && unit <= 0xDFFF) || !keep(unit)) return false;
  }
  return true;
}

}  // namespace tessaril
