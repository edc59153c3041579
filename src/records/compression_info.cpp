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
// The dictionary is read only while it stays within the first half of the page.
constexpr std::size_t kDictionaryLimit = 4096;
constexpr std::size_t kMaxDictionaryOffset = 4000;

// One value per anchor column: short values in column order from the short
// data, long values in order from the long data region.
std::vector<AnchorValue> BuildAnchorValues(const CPrimaryRecord& anchor) {
  std::vector<AnchorValue> values;
  const ByteView shortData = anchor.fixedData();
  std::size_t shortPos = 0;
  std::size_t longIndex = 0;
  for (std::uint8_t code : anchor.cdCodes) {
    AnchorValue v;
    v.code = code;
    if (code == kCdNull) {
      v.length = -2;
    } else if (code == kCdEmpty) {
      v.length = -1;
    } else if (code == kCdLong) {
      if (longIndex < anchor.values.size()) {
        const ByteView bytes = anchor.ValueBytes(anchor.values[longIndex++]);
        v.bytes.assign(bytes.data(), bytes.data() + bytes.size());
      }
      v.length = static_cast<std::int32_t>(v.bytes.size());
    } else {
      const auto size = static_cast<std::size_t>(CdShortSize(code));
      const ByteView bytes = shortData.Sub(shortPos, size);
      shortPos += size;
      v.bytes.assign(bytes.data(), bytes.data() + bytes.size());
      v.length = static_cast<std::int32_t>(v.bytes.size());
    }
    values.push_back(std::move(v));
  }
  return values;
}

void ReadDictionary(CompressionInfo& info, ByteView page) {
  const std::size_t d = info.dictionaryOffset;
  if (d == 0 || d >= info.size || info.size >= kDictionaryLimit || d >= kMaxDictionaryOffset)
    return;
  const std::size_t start = kInfoStart + d;
  const std::size_t n = LoadU16(page, start);
  std::vector<std::uint16_t> ends;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t at = start + 2 + 2 * i;
    if (!page.Contains(at, 2)) break;
    const std::uint16_t end = LoadU16(page, at);
    if (end > kDictionaryLimit) break;
    ends.push_back(end);
  }
  std::size_t pos = start + 2 + 2 * n;
  std::size_t entryStart = 2 + 2 * n;
  for (std::uint16_t end : ends) {
    const auto length = static_cast<std::int64_t>(end) - static_cast<std::int64_t>(entryStart);
    if (length > 0 && length < info.size && pos < kDictionaryLimit &&
        page.Contains(pos, static_cast<std::size_t>(length))) {
      const ByteView entry = page.Sub(pos, static_cast<std::size_t>(length));
      info.dictionary.emplace_back(entry.data(), entry.data() + entry.size());
      pos += static_cast<std::size_t>(length);
    }
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
