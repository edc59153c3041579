#include "records/compression_info.h"

#include "records/compressed_layout.h"

namespace tessaril {
namespace {

constexpr std::size_t kInfoStart = 96;
constexpr std::size_t kDictionaryOffsetField = 99;
constexpr std::size_t kSizeField = 101;
constexpr std::size_t kAnchorWithDictionary = 103;
constexpr std::size_t kAnchorWithoutDictionary = 101;
constexpr std::uint8_t kHasAnchorBit = 0x02;
constexpr std::uint8_t kHasDictionaryBit = 0x04;

// One value per anchor column: short values in column order from the short
// data, long values in order from the long data region.
std::vector<AnchorValue> BuildAnchorValues(const CPrimaryRecord& anchor) {
  std::vector<AnchorValue> values;
  for (const StoredColumn& column : SplitCompressedRecord(anchor)) {
    AnchorValue v;
    v.code = column.code;
    if (column.code == kCdNull) {
      v.length = -2;
    } else if (column.code == kCdEmpty) {
      v.length = -1;
    } else {
      v.bytes.assign(column.bytes.data(), column.bytes.data() + column.bytes.size());
      v.length = static_cast<std::int32_t>(v.bytes.size());
    }
    values.push_back(std::move(v));
  }
  return values;
}

// The dictionary lies inside the compression information, which lies inside
// the page; it may take most of the page. Entry ends are counted from the
// dictionary start and never go back; reading stops at the first that does,
// or that leaves the compression information.
void ReadDictionary(CompressionInfo& info, ByteView page) {
  const std::size_t d = info.dictionaryOffset;
  const std::size_t infoEnd = kInfoStart + info.size;
  if (d == 0 || d >= info.size || infoEnd > page.size()) return;
  const std::size_t start = kInfoStart + d;
  const ByteView dictionary = page.Sub(start, infoEnd - start);
  const std::size_t n = LoadU16(dictionary, 0);
  const std::size_t firstEntry = 2 + 2 * n;
  if (firstEntry > dictionary.size()) return;
  std::size_t entryStart = firstEntry;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t end = LoadU16(dictionary, 2 + 2 * i);
    if (end < entryStart || end > dictionary.size()) break;
    const ByteView entry = dictionary.Sub(entryStart, end - entryStart);
    info.dictionary.emplace_back(entry.data(), entry.data() + entry.size());
    entryStart = end;
  }
}

}  // namespace

CompressionInfo ReadCompressionInfo(const PageContext& context, const RecordOptions& options) {
  CompressionInfo info;
  if (context.header == nullptr || (context.header->typeFlagBits & kCompressionInfoFlag) == 0) {
    return info;
  }
  const ByteView page = context.page;
  for (std::size_t i = 0; i < info.header.size(); ++i) info.header[i] = page.At(kInfoStart + i);
  info.size = LoadU16(page, kSizeField);
  if (info.size == 0) return info;
  info.present = true;
  info.hasAnchor = (info.header[0] & kHasAnchorBit) != 0;
  info.hasDictionary = (info.header[0] & kHasDictionaryBit) != 0;
  if (!info.hasAnchor) return info;
  info.dictionaryOffset = LoadU16(page, kDictionaryOffsetField);
  const std::size_t anchorAt =
      info.hasDictionary ? kAnchorWithDictionary : kAnchorWithoutDictionary;
  const std::size_t anchorLimit = info.hasDictionary ? info.size : kPageSize - anchorAt;
  info.anchorRecord = DecodeCompressedRecord(context, anchorAt, anchorLimit, options);
  if (info.anchorRecord->isInvalid) return info;
  info.anchorValues = BuildAnchorValues(*info.anchorRecord);
  if (info.hasDictionary) ReadDictionary(info, page);
  return info;
}

}  // namespace tessaril
