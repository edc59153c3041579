#include "catalog/module_pieces.h"

#include <algorithm>
#include <cstdlib>

#include "base/unicode.h"
#include "catalog/hex_text.h"

namespace tessaril {

std::string JoinModuleText(const std::vector<ModuleTextEntry>& entries,
                           std::string_view objectIdText, std::optional<std::string_view> number) {
  std::vector<const ModuleTextEntry*> pieces;
  for (const ModuleTextEntry& e : entries) {
    if (e.objectId == objectIdText && (!number || e.number == *number) &&
        e.valueText.rfind("0x", 0) == 0) {
      pieces.push_back(&e);
    }
  }
  const auto Number = [](const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10);
  };
  // The rows of one definition may lie on the pages in any order (page
  // splits); their keys say where each piece belongs.
  const auto key = [&Number](const ModuleTextEntry* e) {
    return std::pair(Number(e->number), Number(e->piece));
  };
  std::stable_sort(pieces.begin(), pieces.end(),
                   [&](const auto* a, const auto* b) { return key(a) < key(b); });
  // The keys are unique in the table: a second row under the same key is a
  // copy (the same page filed twice, a stale row) and is left out.
  pieces.erase(std::unique(pieces.begin(), pieces.end(),
                           [&](const auto* a, const auto* b) { return key(a) == key(b); }),
               pieces.end());
  // UTF-16 pieces are joined before they are decoded, since a piece may end
  // inside a character.
  std::string text;
  std::vector<std::uint8_t> utf16;
  const auto flush = [&] {
    text += Utf16LeToUtf8(ByteView(utf16.data(), utf16.size()));
    utf16.clear();
  };
  for (const ModuleTextEntry* e : pieces) {
    const HexBytes piece = DecodeHexText(e->valueText);
    if (e->singleByteText) {
      flush();
      text += SingleByteText(ByteView(piece.bytes.data(), piece.bytes.size()));
    } else {
      utf16.insert(utf16.end(), piece.bytes.begin(), piece.bytes.end());
    }
  }
  flush();
  return text;
}

}  // namespace tessaril
