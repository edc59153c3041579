// The pieces a module's definition is stored in, and their joining.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaril {

// A module text row reduced to its object id, number and value (hex text).
struct ModuleTextEntry {
  std::string objectId;
  std::string number;
  std::string valueText;
  // The row's place among the pieces of one object and number: colid (2000)
  // or valnum.
  std::string piece{};
  // The value holds the text one byte a character (stored compressed), not
  // as UTF-16.
  bool singleByteText = false;
};

// The text of an object's module entries (those of one number, when given):
// pieces in the order of their number and piece number, a repeated key left
// out, UTF-16 pieces joined before they are decoded (a piece may end inside a
// character), single-byte pieces read as such. Empty when there is none.
std::string JoinModuleText(const std::vector<ModuleTextEntry>& entries,
                           std::string_view objectIdText,
                           std::optional<std::string_view> number = std::nullopt);

}  // namespace tessaril
