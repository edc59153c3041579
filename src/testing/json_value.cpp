#include "testing/json_value.h"

#include <cctype>

#include "base/unicode.h"

namespace tessaril::testing {
namespace {

class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : text_(text) {}

  std::optional<JsonValue> Document() {
    JsonValue v;
    if (!Value(v)) return std::nullopt;
    SkipSpace();
    if (pos_ != text_.size()) return std::nullopt;
    return v;
  }

 private:
  void SkipSpace() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  bool Eat(char c) {
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Word(std::string_view w) {
    if (text_.substr(pos_, w.size()) != w) return false;
    pos_ += w.size();
    return true;
  }

  bool Value(JsonValue& v) {
    SkipSpace();
    if (pos_ >= text_.size()) return false;
    const char c = text_[pos_];
    if (c == '{') return Object(v);
    if (c == '[') return Array(v);
    if (c == '"') {
      v.kind = JsonValue::Kind::kString;
      return String(v.text);
    }
    if (Word("true") || Word("false")) {
      v.kind = JsonValue::Kind::kBool;
      v.boolean = c == 't';
      return true;
    }
    if (Word("null")) return true;
    const std::size_t start = pos_;
    while (pos_ < text_.size() &&
           std::string_view("+-.eE0123456789").find(text_[pos_]) != std::string_view::npos) {
      ++pos_;
    }
    v.kind = JsonValue::Kind::kNumber;
    v.text = std::string(text_.substr(start, pos_ - start));
    return pos_ > start;
  }

  bool Object(JsonValue& v) {
    v.kind = JsonValue::Kind::kObject;
    ++pos_;
    if (Eat('}')) return true;
    do {
      std::string name;
      SkipSpace();
      if (!String(name) || !Eat(':')) return false;
      v.members.emplace_back(std::move(name), JsonValue());
      if (!Value(v.members.back().second)) return false;
    } while (Eat(','));
    return Eat('}');
  }

  bool Array(JsonValue& v) {
    v.kind = JsonValue::Kind::kArray;
    ++pos_;
    if (Eat(']')) return true;
    do {
      v.items.emplace_back();
      if (!Value(v.items.back())) return false;
    } while (Eat(','));
    return Eat(']');
  }

  bool Hex4(char32_t& unit) {
    if (pos_ + 4 > text_.size()) return false;
    unit = static_cast<char32_t>(std::stoul(std::string(text_.substr(pos_, 4)), nullptr, 16));
    pos_ += 4;
    return true;
  }

  bool String(std::string& out) {
    if (pos_ >= text_.size() || text_[pos_] != '"') return false;
    ++pos_;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      const char c = text_[pos_++];
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) return false;
      const char e = text_[pos_++];
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'r':
          out += '\r';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'u': {
          char32_t unit = 0;
          if (!Hex4(unit)) return false;
          if (unit >= 0xD800 && unit < 0xDC00 && Word("\\u")) {
            char32_t low = 0;
            if (!Hex4(low)) return false;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, unit);
          break;
        }
        default:
          out += e;
      }
    }
    return Eat('"');
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

const JsonValue* JsonValue::Find(const std::string& name) const {
  for (const auto& [key, value] : members) {
    if (key == name) return &value;
  }
  return nullptr;
}

std::string JsonValue::AsText() const {
  switch (kind) {
    case Kind::kString:
    case Kind::kNumber:
      return text;
    case Kind::kBool:
      return boolean ? "true" : "false";
    default:
      return "null";
  }
}

std::optional<JsonValue> ParseJson(std::string_view text) { return JsonParser(text).Document(); }

}  // namespace tessaril::testing
