// The compression information a page-compressed data page keeps right after
// its header: an anchor record whose column values prefix the page's rows,
// and a dictionary of short values rows refer to by a one-byte symbol. Kept
// here as stored; combining it with rows needs the table's columns.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "records/record.h"
#include "records/record_decoder.h"

namespace tessaril {

// Header type-flag bit of a page that carries compression information.
inline constexpr std::uint8_t kCompressionInfoFlag = 0x80;

// One column of the anchor record: its code and bytes. NULL means the column
// has no anchor value.
struct AnchorValue {
  std::uint8_t code = 0;
  std::int32_t length = 0;  // -2 NULL, -1 empty, else the byte count
  std::vector<std::uint8_t> bytes;
};

struct CompressionInfo {
  std::array<std::uint8_t, 7> header{};  // page bytes 96-102 as stored
  bool present = false;
  bool hasAnchor = false;
  bool hasDictionary = false;
  std::uint16_t size = 0;
  std::uint16_t dictionaryOffset = 0;
  std::unique_ptr<CPrimaryRecord> anchorRecord;
  std::vector<AnchorValue> anchorValues;
  std::vector<std::vector<std::uint8_t>> dictionary;  // in symbol order
};

// Reads the compression information of a page whose header has the
// compression flag; an empty result otherwise.
CompressionInfo ReadCompressionInfo(const PageContext& context, const RecordOptions& options);

}  // namespace tessaril
