#include "base/display_width.h"

#include <algorithm>
#include <iterator>

#include "base/unicode.h"

namespace tessaril {
namespace {

struct Range {
  char32_t first;
  char32_t last;
};

// Marks that combine with the character before them, and the zero-width
// format characters.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF},
    {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064}, {0x20D0, 0x20FF}, {0x302A, 0x302D},
    {0x3099, 0x309A}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF},
};

// East Asian wide and fullwidth blocks: Hangul Jamo, CJK radicals to Yi,
// Hangul syllables, compatibility ideographs, vertical and small forms,
// fullwidth forms, emoji and the supplementary ideographic planes.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2E80, 0x303E},   {0x3041, 0x33FF},
    {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},
    {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},
    {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

template <std::size_t N>
bool InRanges(const Range (&ranges)[N], char32_t codePoint) {
  const auto* it = std::lower_bound(std::begin(ranges), std::end(ranges), codePoint,
                                    [](const Range& r, char32_t c) { return r.last < c; });
  return it != std::end(ranges) && it->first <= codePoint;
}

}  // namespace

int CodePointWidth(char32_t codePoint) {
  if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0)) return 0;
  if (InRanges(kZeroWidth, codePoint)) return 0;
  return InRanges(kWide, codePoint) ? 2 : 1;
}

std::size_t DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    width += static_cast<std::size_t>(CodePointWidth(NextUtf8(text, pos)));
  }
  return width;
}

}  // namespace tessaril
