// Test support: writes binary xml streams token by token, so that a test
// reads as the document it builds.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/byte_view.h"
#include "base/unicode.h"

namespace tessaril::testing {

using Bytes = std::vector<std::uint8_t>;

// value as `width` little-endian bytes (two's complement for a negative one).
inline Bytes Le(std::int64_t value, std::size_t width) {
  Bytes bytes(width);
  for (std::size_t i = 0; i < width; ++i) {
    bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
  }
  return bytes;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline Bytes Hex(const std::string& hex) {
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

inline ByteView View(const Bytes& bytes) { return ByteView(bytes.data(), bytes.size()); }

// One token of a document written by Doc. A qualified name is "prefix:local"
// or "local"; names are defined (NAMEDEF, QNAMEDEF) just before their first
// use, as SQL Server writes them.
struct Token {
  enum class Kind { kRaw, kText, kElement, kAttribute, kDeclare, kQNameValue, kPi, kFlush };
  Kind kind = Kind::kRaw;
  Bytes bytes;         // kRaw, or what comes before a kText
  std::string first;   // text, qualified name, declared prefix or PI target
  std::string second;  // namespace URI or PI data
};

inline Token Raw(Bytes bytes) { return {Token::Kind::kRaw, std::move(bytes), {}, {}}; }
// The bytes given, then an mb32 count of UTF-16 code units and the units.
inline Token Utf16(std::string text, Bytes before = {}) {
  return {Token::Kind::kText, std::move(before), std::move(text), {}};
}
// Character data (SQLNVARCHAR), a comment, one piece of a CDATA section.
inline Token Str(std::string text) { return Utf16(std::move(text), {0x11}); }
inline Token Comment(std::string text) { return Utf16(std::move(text), {0xF3}); }
inline Token CDataPiece(std::string text) { return Utf16(std::move(text), {0xF2}); }
inline Token Open(std::string name, std::string uri = "") {
  return {Token::Kind::kElement, {}, std::move(name), std::move(uri)};
}
inline Token Attr(std::string name, std::string uri = "") {
  return {Token::Kind::kAttribute, {}, std::move(name), std::move(uri)};
}
// xmlns="uri" for an empty prefix, else xmlns:prefix="uri".
inline Token Xmlns(std::string prefix, std::string uri) {
  return {Token::Kind::kDeclare, {}, std::move(prefix), std::move(uri)};
}
inline Token QNameValue(std::string name, std::string uri) {
  return {Token::Kind::kQNameValue, {}, std::move(name), std::move(uri)};
}
inline Token Pi(std::string target, std::string data) {
  return {Token::Kind::kPi, {}, std::move(target), std::move(data)};
}
inline Token Flush() { return {Token::Kind::kFlush, {}, {}, {}}; }
inline Token EndAttrs() { return Raw({0xF5}); }
inline Token End() { return Raw({0xF7}); }
inline Token Ext(const Bytes& data) {
  return Raw(Bytes{0xEA, static_cast<std::uint8_t>(data.size())} + data);
}

class DocWriter {
 public:
  explicit DocWriter(std::uint8_t version) : bytes_{0xDF, 0xFF, version, 0xB0, 0x04} {}

  void Write(const Token& token) {
    switch (token.kind) {
      case Token::Kind::kRaw:
        return Append(token.bytes);
      case Token::Kind::kText:
        Append(token.bytes);
        return Text(token.first);
      case Token::Kind::kElement:
      case Token::Kind::kAttribute:
      case Token::Kind::kQNameValue: {
        const std::uint32_t index = QName(token.second, token.first);
        const std::uint8_t byte = token.kind == Token::Kind::kElement     ? 0xF8
                                  : token.kind == Token::Kind::kAttribute ? 0xF6
                                                                          : 0x8C;
        Append({byte});
        return Mb(index);
      }
      case Token::Kind::kDeclare: {
        const std::string prefix = token.first.empty() ? "xmlns" : "xmlns:" + token.first;
        const std::uint32_t index = QNameOf(0, NameIndex(prefix), 0);
        Append({0xF6});
        Mb(index);
        Append({0x11});
        return Text(token.second);
      }
      case Token::Kind::kPi: {
        const std::uint32_t index = NameIndex(token.first);
        Append({0xF4});
        Mb(index);
        return Text(token.second);
      }
      case Token::Kind::kFlush:
        names_.clear();
        qnames_.clear();
        return Append({0xE9});
    }
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  void Append(const Bytes& bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
  // 7 bits a byte, least significant first (mb32 and mb64 alike).
  void Mb(std::uint64_t value) {
    do {
      const auto low = static_cast<std::uint8_t>(value & 0x7F);
      value >>= 7;
      bytes_.push_back(value != 0 ? static_cast<std::uint8_t>(low | 0x80) : low);
    } while (value != 0);
  }
  void Text(const std::string& utf8) {
    const std::u16string units = Utf8ToUtf16(utf8);
    Mb(units.size());
    for (const char16_t unit : units) Append(Le(unit, 2));
  }
  std::uint32_t NameIndex(const std::string& name) {
    if (name.empty()) return 0;
    const auto [it, added] = names_.emplace(name, static_cast<std::uint32_t>(names_.size() + 1));
    if (added) {
      Append({0xF0});
      Text(name);
    }
    return it->second;
  }
  std::uint32_t QNameOf(std::uint32_t uri, std::uint32_t prefix, std::uint32_t local) {
    const auto [it, added] = qnames_.emplace(std::tuple(uri, prefix, local),
                                             static_cast<std::uint32_t>(qnames_.size() + 1));
    if (added) {
      Append({0xEF});
      Mb(uri);
      Mb(prefix);
      Mb(local);
    }
    return it->second;
  }
  std::uint32_t QName(const std::string& uri, const std::string& qualified) {
    const std::size_t colon = qualified.find(':');
    const std::string prefix = colon == std::string::npos ? "" : qualified.substr(0, colon);
    const std::string local = colon == std::string::npos ? qualified : qualified.substr(colon + 1);
    return QNameOf(NameIndex(uri), NameIndex(prefix), NameIndex(local));
  }

  Bytes bytes_;
  std::map<std::string, std::uint32_t> names_;
  std::map<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>, std::uint32_t> qnames_;
};

// The header (version 1 unless given), then the tokens.
inline Bytes Doc(const std::vector<Token>& tokens, std::uint8_t version = 1) {
  DocWriter writer(version);
  for (const Token& token : tokens) writer.Write(token);
  return writer.bytes();
}

}  // namespace tessaril::testing
