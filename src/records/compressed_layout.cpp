#include "records/compressed_layout.h"

#include <algorithm>

namespace tessaril {
namespace {

constexpr std::uint8_t kCdVersioningBit = 0x02;
constexpr std::uint8_t kCdLongDataBit = 0x20;
constexpr std::uint8_t kTwoByteCountBit = 0x80;
constexpr int kColumnsPerCluster = 30;

// Record types of the compressed layout, bits 2-4 of its status byte, in the
// terms of the other layout.
constexpr std::int32_t kCdTypeToRecordType[8] = {
    kPrimaryRecord,       // 0 primary
    kGhostVersionRecord,  // 1 ghost, emptied
    kForwardingStub,      // 2 forwarding stub
    kGhostDataRecord,     // 3 ghost data
    kForwardedRecord,     // 4 forwarded
    kGhostDataRecord,     // 5 ghost forwarded
    kIndexRecord,         // 6 index
    kGhostIndexRecord,    // 7 ghost index
};

}  // namespace

int CdShortSize(std::uint8_t code) {
  if (code >= kCdShortFirst && code <= kCdShortLast) return code - 1;
  return code == kCdPageSymbol ? 1 : 0;
}

void ApplyCompressedStatus(CRecord& r, std::uint8_t status) {
  r.statusA = status;
  r.isCompressed = true;
  r.hasVersionTag = (status & kCdVersioningBit) != 0;
  r.recordType = kCdTypeToRecordType[(status >> 2) & 0x07];
  r.hasNullBitmap = false;
  r.hasVariableColumns = (status & kCdLongDataBit) != 0;
}

void DecodeCompressedLayout(CPrimaryRecord& r, ByteView rec, const RecordOptions& options) {
  const std::size_t maxLength = rec.size();
  const std::uint8_t b1 = rec.At(1);
  std::size_t headerSize = 2;
  int count = b1;
  if ((b1 & kTwoByteCountBit) != 0) {
    count = ((b1 & 0x7F) << 8) | rec.At(2);
    headerSize = 3;
  }
  if (count == 0 || count > kMaxColumns || !rec.Contains(0, headerSize)) {
    r.isInvalid = true;
    return;
  }
  const auto columns = static_cast<std::size_t>(count);
  const std::size_t codeBytes = (columns + 1) / 2;
  const std::size_t clusterBytes = (columns - 1) / kColumnsPerCluster;
  for (std::size_t i = 0; i < codeBytes && headerSize + i < maxLength; ++i) {
    const std::uint8_t byte = rec.At(headerSize + i);
    r.cdCodes.push_back(byte & 0x0F);
    if (r.cdCodes.size() < columns) r.cdCodes.push_back(static_cast<std::uint8_t>(byte >> 4));
  }
  std::size_t pos = headerSize + codeBytes + clusterBytes;
  r.columnCount = static_cast<std::int16_t>(count);
  std::size_t shortSum = 0;
  int longCount = 0;
  for (std::uint8_t code : r.cdCodes) {
    shortSum += static_cast<std::size_t>(CdShortSize(code));
    if (code == kCdLong) ++longCount;
  }
  r.variableCount = static_cast<std::int16_t>(longCount);
  std::size_t extent = std::min(pos, maxLength);
  if (shortSum > 0 && shortSum < kMaxRecordLength && r.recordType != kIndexRecord &&
      pos + shortSum < kMaxRecordLength && pos + shortSum <= maxLength) {
    r.fixed_ = {static_cast<std::uint16_t>(pos), static_cast<std::uint16_t>(shortSum)};
    r.fixedLength = static_cast<std::int16_t>(shortSum);
    pos += shortSum;
    extent = pos;
  }
  if (r.hasVariableColumns) {
    std::uint8_t header = 0;
    if (pos < maxLength) header = rec.At(pos++);
    r.variableCount = 0;
    if ((header & 0x01) != 0 && pos + 2 < maxLength) {
      const std::uint16_t n = LoadU16(rec, pos);
      if (n > 0 && n <= columns) {
        pos += 2;
        for (std::size_t k = 0; k < n; ++k) {
          if (!rec.Contains(pos + 2 * k, 2)) continue;
          const std::uint16_t stored = LoadU16(rec, pos + 2 * k);
          r.longEntries.push_back({stored & 0x7FFF, (stored & 0x8000) != 0});
        }
        pos += 2 * n;
        r.variableCount = static_cast<std::int16_t>(r.longEntries.size());
      }
    }
    pos += clusterBytes;
    std::int32_t previousEnd = 0;
    for (const LongDataEntry& entry : r.longEntries) {
      if (options.stopRequested()) break;
      const std::int32_t length = entry.endOffset - previousEnd;
      if (length <= 0) continue;
      RecordValue value;
      value.length = length;
      value.complex = entry.complex;
      if (static_cast<std::size_t>(length) >= maxLength ||
          previousEnd >= static_cast<std::int32_t>(kPageSize)) {
        r.values.push_back(value);
        continue;
      }
      if (pos + static_cast<std::size_t>(length) < kPageSize &&
          pos + static_cast<std::size_t>(length) <= maxLength) {
        value.hasData = true;
        value.data = {static_cast<std::uint16_t>(pos), static_cast<std::uint16_t>(length)};
        r.values.push_back(value);
        previousEnd = entry.endOffset;
        pos += static_cast<std::size_t>(length);
        extent = pos;
      }
    }
  }
  // A forwarded row ends its long data with the back pointer to its stub,
  // as a forwarded record of the other layout does.
  if (r.recordType == kForwardedRecord) TakeBackPointer(r, rec);
  r.recordLength = static_cast<std::int32_t>(pos);
  const ByteView kept = rec.Sub(0, std::max(extent, std::min(pos, maxLength)));
  r.bytes_.assign(kept.data(), kept.data() + kept.size());
  // The whole record was read: a stub may take it as its target.
  r.hasRaw_ = pos <= maxLength && kept.size() == pos;
}

std::vector<StoredColumn> SplitCompressedRecord(const CPrimaryRecord& r) {
  std::vector<StoredColumn> columns;
  const ByteView shortData = r.fixedData();
  std::size_t shortPos = 0;
  std::size_t longIndex = 0;
  for (std::uint8_t code : r.cdCodes) {
    StoredColumn c;
    c.code = code;
    if (code == kCdLong) {
      if (longIndex < r.values.size()) {
        c.value = &r.values[longIndex];
        c.bytes = r.ValueBytes(*c.value);
        c.missing = !c.value->hasData && !c.value->complex;
      } else {
        c.missing = true;
      }
      ++longIndex;
    } else if (const auto size = static_cast<std::size_t>(CdShortSize(code)); size > 0) {
      c.missing = !shortData.Contains(shortPos, size);
      if (!c.missing) c.bytes = shortData.Sub(shortPos, size);
      shortPos += size;
    }
    columns.push_back(c);
  }
  return columns;
}

}  // namespace tessaril
