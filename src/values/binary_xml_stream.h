// The token stream of SQL Server's binary xml, the form an xml column value is
// stored in: the header, the variable-length integers and strings, and the
// two name tables the stream builds as it goes and refers to by index.
//
// Name definitions, table flushes and extension blocks may stand between any
// two tokens. The stream applies them where they stand and never hands them
// out, so a reader sees only structure and value tokens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_view.h"

namespace tessaril {

// Token bytes. 0x01-0x8C are values (binary_xml_values.h); the rest are
// structure, or the table tokens the stream applies itself.
namespace bxml {
inline constexpr std::uint8_t kXmlDeclaration = 0xFE;
inline constexpr std::uint8_t kEncoding = 0xFD;
inline constexpr std::uint8_t kDocType = 0xFC;
inline constexpr std::uint8_t kSystem = 0xFB;
inline constexpr std::uint8_t kPublic = 0xFA;
inline constexpr std::uint8_t kSubset = 0xF9;
inline constexpr std::uint8_t kElement = 0xF8;
inline constexpr std::uint8_t kEndElement = 0xF7;
inline constexpr std::uint8_t kAttribute = 0xF6;
inline constexpr std::uint8_t kEndAttributes = 0xF5;
inline constexpr std::uint8_t kProcessingInstruction = 0xF4;
inline constexpr std::uint8_t kComment = 0xF3;
inline constexpr std::uint8_t kCData = 0xF2;
inline constexpr std::uint8_t kEndCData = 0xF1;
inline constexpr std::uint8_t kNameDefinition = 0xF0;
inline constexpr std::uint8_t kQNameDefinition = 0xEF;
inline constexpr std::uint8_t kXmlText = 0xED;
inline constexpr std::uint8_t kNest = 0xEC;
inline constexpr std::uint8_t kEndNest = 0xEB;
inline constexpr std::uint8_t kExtension = 0xEA;
inline constexpr std::uint8_t kFlushNames = 0xE9;
}  // namespace bxml

// One entry of the qualified-name table.
struct BinaryXmlQName {
  std::string namespaceUri;
  std::string prefix;
  std::string localName;
  // "prefix:localName", or localName alone; "xmlns" or "xmlns:p" for a
  // namespace declaration.
  std::string qualified;
  // Set for a namespace declaration (an entry with no local name): the prefix
  // it declares, "" for the default namespace. Its value is the URI.
  std::optional<std::string> declares;
  // False for the entry whose three indexes are all 0: it takes a slot but
  // names nothing.
  bool names = true;
};

class BinaryXmlStream {
 public:
  explicit BinaryXmlStream(ByteView bytes);

  // Reads a header at the current position: the signature DF FF, the format
  // version (1, or 2 with the date and time tokens 0x7A-0x7F) and the code
  // page 1200 (UTF-16LE). False, and the stream damaged, when any differs.
  bool ReadHeader();
  int version() const { return version_; }

  // The next structure or value token, after applying any table tokens before
  // it. nullopt at the end of the bytes and after damage.
  std::optional<std::uint8_t> Next();
  // The token Next would give, left unread.
  std::optional<std::uint8_t> Peek();

  // Token payloads. A read past the end gives zero (or what was there) and
  // marks the stream damaged.
  std::uint8_t Byte() { return cursor_.U8(); }
  ByteView Bytes(std::size_t n) { return cursor_.Bytes(n); }
  std::uint32_t Mb32();
  std::uint32_t Mb64();
  // An mb32 count of UTF-16 code units, then the units, as UTF-8. When the
  // bytes end early the units present are returned and the stream is damaged.
  std::string Text();
  // An mb64 byte count, then that many bytes.
  ByteView CountedBytes() { return Bytes(Mb64()); }

  // Table entries by index; nullptr for one not (yet) defined.
  const std::string* Name(std::uint32_t index) const;
  const BinaryXmlQName* QName(std::uint32_t index) const;

  // A nested document keeps its own tables: BeginNested saves the current
  // ones and starts empty ones, EndNested restores them (false when no nested
  // document is open).
  void BeginNested();
  bool EndNested();

  // Damage found by a reader of the payloads, such as an impossible value.
  void Fail() { failed_ = true; }
  bool ok() const { return cursor_.ok() && !failed_; }
  bool AtEnd() const { return cursor_.remaining() == 0; }

 private:
  struct Tables {
    std::vector<std::string> names;
    std::vector<BinaryXmlQName> qnames;
    int version = 0;
  };

  std::uint32_t Multibyte(int maxBytes);
  void ApplyTableToken(std::uint8_t token);
  void DefineQName();
  void FlushNames();

  ByteView bytes_;
  ByteCursor cursor_;
  bool failed_ = false;
  int version_ = 0;
  std::vector<std::string> names_;
  std::vector<BinaryXmlQName> qnames_;
  std::vector<Tables> saved_;
};

}  // namespace tessaril
