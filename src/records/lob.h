// Large-object structures and the reader that follows a row's pointer to a
// value kept outside the row.
//
// A value too large for its row lives on text pages as a tree of
// structures: roots and internal nodes hold links to other structures, data
// structures and small roots hold the bytes. The row keeps either a 16-byte
// text pointer (text, ntext, image) or an in-row root of 12-byte links (the
// (max) types and row-overflow data). The reader collects the value's bytes
// in link order; turning them into text is up to the caller, who knows the
// column's type.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "base/byte_view.h"
#include "records/text_page.h"
#include "storage/database_file.h"

namespace tessaril {

// The structure type, the 16-bit word after the 8-byte blob id.
enum LobStructureType : std::uint16_t {
  kSmallRootType = 0,
  kInternalType = 2,
  kDataType = 3,
  kLargeRootShilohType = 4,  // the SQL Server 2000 root, laid out as the later one
  kLargeRootYukonType = 5,
  kSuperLargeRootType = 6,  // read as a large root
};

// Deeper trees than this are taken as damage: real trees have a few levels.
inline constexpr int kMaxLobDepth = 8;

// A link to another structure: the record at target, with the size (root
// links) or offset (internal node links) stored beside it.
struct LobLink {
  RecordId target;
  std::int64_t size = 0;
};

std::uint16_t LobStructureTypeOf(ByteView structure);

// Type 0: up to a few dozen bytes kept in the root itself. Length at 10,
// the bytes from 16.
struct SmallRoot {
  ByteView data;
  static std::optional<SmallRoot> Decode(ByteView structure);
};

// Type 2: maximum links at 10, current links at 12, level at 14, then links
// of 16 bytes from 16: 64-bit offset, 32-bit page, 16-bit file, 16-bit slot.
struct Internal {
  std::uint16_t maxLinks = 0;
  std::uint16_t currentLinks = 0;
  std::uint16_t level = 0;
  std::vector<LobLink> links;  // the current links that the structure holds
  static std::optional<Internal> Decode(ByteView structure);
};

// Types 4, 5 and 6: as the internal node, with 4 unused bytes at 16 and links
// of 12 bytes from 20: 32-bit size, 32-bit page, 16-bit file, 16-bit slot.
struct LargeRootYukon {
  std::uint16_t maxLinks = 0;
  std::uint16_t currentLinks = 0;
  std::uint16_t level = 0;
  std::vector<LobLink> links;
  static std::optional<LargeRootYukon> Decode(ByteView structure);
};

// Type 3: the bytes after the 10-byte header.
struct LobSData {
  ByteView data;
  static std::optional<LobSData> Decode(ByteView structure);
};

// The links a text-page structure holds to the structures below it: an
// internal node's or a large root's; nothing for data, small roots and
// structures that do not decode.
std::optional<std::vector<LobLink>> LinksOfStructure(ByteView structure);
// The links of an in-row root (complex ids 2 and 4) that hold bytes: after a
// 12-byte header, 12-byte links; links of size 0 or less hold none.
std::vector<LobLink> LinksOfInRowRoot(ByteView root);

// The bytes of one value, and whether any structure of it was reached (a
// pointer whose first structure cannot be read gives reached false).
struct LobBytes {
  std::vector<std::uint8_t> bytes;
  bool reached = false;
};

// Follows pointers to large values in one database. Every walk keeps a set
// of the records it visited and a depth limit, so that a damaged tree whose
// links loop or run deep still ends; a link that cannot be followed (unknown
// file, unreadable page, slot outside the page, unknown structure type) adds
// nothing and the walk goes on with the next link.
class LobReader {
 public:
  LobReader(const DatabaseFile& db, const RecordOptions& options) : db_(db), options_(options) {}
  // A copy reads as the original does and keeps a text page of its own, so
  // that copies can read on different threads.
  LobReader(const LobReader& other) : db_(other.db_), options_(other.options_) {}
  LobReader& operator=(const LobReader&) = delete;

  // An in-row root (complex ids 2 and 4): a 12-byte header, then as many
  // 12-byte links as the value holds; links of size 0 or less are skipped.
  LobBytes ReadLobRoot(ByteView root);
  // A text pointer: page at 8, file at 12, slot at 14.
  LobBytes ReadTextPointer(ByteView pointer);

 private:
  void Follow(RecordId target, int depth, LobBytes& out);
  void LobText(const TextRecord& record, int depth, LobBytes& out);
  const TextMixPage* Page(PageId id);

  const DatabaseFile& db_;
  RecordOptions options_;
  std::set<RecordId> visited_;
  std::optional<TextMixPage> page_;  // the text page read last
  std::optional<PageId> pageId_;
};

}  // namespace tessaril
