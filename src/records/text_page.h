// Text and image pages: the pages that hold values kept outside their rows
// (text, ntext, image, the (max) types and row-overflow data). Each record
// of such a page holds one large-object structure.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "records/record.h"
#include "records/record_decoder.h"
#include "storage/database_file.h"

namespace tessaril {

// Page types of the pages that hold large-object structures.
inline constexpr std::uint8_t kTextMixPageType = 3;
inline constexpr std::uint8_t kTextTreePageType = 4;

// The length of the header every large-object structure starts with: an
// 8-byte blob id and a 16-bit structure type.
inline constexpr std::int16_t kLobStructureHeaderLength = 10;

// One record of a text page. Its bytes are status A, status B, the 16-bit end
// of the data, then the data: one large-object structure. The structure
// bytes are fixedData(); structureLength counts the bytes after the
// structure's 10-byte header (or all of them, when there are fewer than 10).
struct TextRecord : CRecord {
  std::int16_t structureLength = 0;

  ByteView structure() const { return fixedData(); }
};

// Decodes the text record at offset of page, reading no byte past the page.
// A record whose stored end gives no data, or data that would pass the page,
// has no structure bytes.
std::unique_ptr<TextRecord> DecodeTextRecord(ByteView page, std::size_t offset);

// A text page decoded into one TextRecord per slot (null where a slot points
// into the header or past the page).
class TextMixPage {
 public:
  TextMixPage(HeaderedPage page, const RecordOptions& options);

  const CPage_Header& header() const { return page_.header; }
  const std::vector<std::unique_ptr<TextRecord>>& records() const { return records_; }
  // The record at slot, or null when the page has none there.
  const TextRecord* Record(std::size_t slot) const;

 private:
  HeaderedPage page_;
  std::vector<std::unique_ptr<TextRecord>> records_;
};

// Reads the text page a large-object link names. A file whose pages lie
// shifted against their stored numbers is read where the page really is:
// when the page at id says it is another page, the difference is applied the
// other way, and the page found there is taken only when it says it is id.
// A page whose type byte says otherwise is taken when its slots are sound
// and each holds a large-object record. Nothing when no readable text page
// names itself id (unknown file, page outside its file, or a page of another
// kind).
std::optional<TextMixPage> ReadTextPage(const DatabaseFile& db, PageId id,
                                        const RecordOptions& options);

}  // namespace tessaril
