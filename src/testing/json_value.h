// Test support: a small JSON reader for the fixtures that come as JSON.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaril::testing {

// One JSON value. Numbers keep their literal text, so that 64-bit integers
// compare exactly.
struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  std::string text;  // a string's UTF-8 text, or a number's literal
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;  // in document order

  // The member called name, or null when there is none.
  const JsonValue* Find(const std::string& name) const;
  // A string's text, a number's literal, "true"/"false" or "null".
  std::string AsText() const;
};

// Parses a whole document; nothing when it is not well-formed.
std::optional<JsonValue> ParseJson(std::string_view text);

}  // namespace tessaril::testing
