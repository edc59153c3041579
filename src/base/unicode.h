// UTF-16LE <-> UTF-8 conversion. Text is UTF-8 inside the program; UTF-16LE
// is used only where a file format demands it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/byte_view.h"

namespace tessaril {

// Decodes UTF-16LE bytes. An unpaired surrogate becomes U+FFFD; a trailing odd
// byte is dropped.
std::string Utf16LeToUtf8(ByteView bytes);
std::string Utf16ToUtf8(std::u16string_view text);

// Encodes UTF-8 as UTF-16. Malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf8ToUtf16LeBytes(std::string_view text);

// True when the bytes are UTF-16LE text: whole code units, surrogates in
// well-formed pairs, and every other unit one that keep accepts.
bool IsUtf16Text(ByteView bytes, bool (*keep)(std::uint16_t unit));

// Appends the UTF-8 form of one code point (U+FFFD for invalid ones).
void AppendUtf8(std::string& out, char32_t codePoint);

// Decodes one UTF-8 sequence at text[pos], advancing pos; U+FFFD for a
// malformed or truncated sequence (which consumes one byte).
char32_t NextUtf8(std::string_view text, std::size_t& pos);

// The text with its capital letters made small, as SQL Server's case-
// insensitive collations compare names: ASCII, Latin-1, Greek and Cyrillic.
std::string FoldCase(std::string_view text);

}  // namespace tessaril
