#include "values/compressed_row.h"

#include "records/compressed_layout.h"
#include "values/compressed_value.h"
#include "values/row_renderer.h"

namespace tessaril {
namespace {

// A prefix length above 127 takes two bytes: the top bit of the first is set
// and the other fifteen bits are the length, big-endian.
constexpr std::uint8_t kLongPrefixBit = 0x80;

// The anchor value a column's values are stored against, or null when the
// column has none (its anchor is NULL or empty).
const AnchorValue* AnchorOf(const CompressionInfo& info, std::size_t index) {
  if (!info.hasAnchor || index >= info.anchorValues.size()) return nullptr;
  const AnchorValue& anchor = info.anchorValues[index];
  return anchor.length > 0 ? &anchor : nullptr;
}

// The anchor's first P bytes, then the stored bytes after the prefix length.
bool ExpandPrefix(ByteView stored, const AnchorValue& anchor, std::vector<std::uint8_t>& out) {
  if (stored.empty()) return false;
  std::size_t prefix = stored.At(0);
  std::size_t skip = 1;
  if ((prefix & kLongPrefixBit) != 0) {
    if (stored.size() < 2) return false;
    prefix = (prefix & 0x7F) << 8 | stored.At(1);
    skip = 2;
  }
  if (prefix > anchor.bytes.size()) return false;
  out.assign(anchor.bytes.begin(), anchor.bytes.begin() + static_cast<long>(prefix));
  const ByteView suffix = stored.Sub(skip);
  out.insert(out.end(), suffix.data(), suffix.data() + suffix.size());
  return true;
}

}  // namespace

bool ResolvePageCompression(const StoredColumn& column, std::size_t index,
                            const CompressionInfo& info, std::vector<std::uint8_t>& out) {
  if (column.missing) return false;
  ByteView stored = column.bytes;
  if (column.code == kCdPageSymbol) {
    if (stored.empty() || stored.At(0) >= info.dictionary.size()) return false;
    const std::size_t symbol = stored.At(0);
    stored = ByteView(info.dictionary[symbol].data(), info.dictionary[symbol].size());
  }
  const AnchorValue* anchor = AnchorOf(info, index);
  if (anchor != nullptr && column.code != kCdEmpty) return ExpandPrefix(stored, *anchor, out);
  out.assign(stored.data(), stored.data() + stored.size());
  return true;
}

std::vector<std::optional<std::string>> RenderCompressedRecord(
    const CPrimaryRecord& r, const CompressionInfo& info, const std::vector<ColumnDef>& columns,
    TextDecoding& text, const RecordOptions& options, const ComplexValueReader& complexText) {
  const std::vector<StoredColumn> stored = SplitCompressedRecord(r);
  std::vector<std::optional<std::string>> texts(columns.size(), std::string());
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (options.stopRequested()) break;
    const ColumnDef& c = columns[i];
    if (c.physicalOrdinal == kNoStorage) continue;
    if (c.physicalOrdinal < 1 || static_cast<std::size_t>(c.physicalOrdinal) > stored.size()) {
      if (c.isNullable) texts[i] = std::nullopt;
      continue;
    }
    const auto index = static_cast<std::size_t>(c.physicalOrdinal - 1);
    const StoredColumn& column = stored[index];
    switch (column.code) {
      case kCdNull:
        texts[i] = std::nullopt;
        continue;
      case kCdBitTrue:
        texts[i] = c.typeCode == kBitCode ? "True" : "";
        continue;
      case kCdEmpty:
      case kCdLong:
      case kCdPageSymbol:
        break;
      default:
        if (column.code > kCdPageSymbol) continue;  // codes 13-15 carry no value
        break;
    }
    if (column.value != nullptr && column.value->complex) {
      texts[i] = complexText ? complexText(*column.value, c) : "";
      continue;
    }
    std::vector<std::uint8_t> bytes;
    if (!ResolvePageCompression(column, index, info, bytes)) continue;
    texts[i] = CompressedValueText(ByteView(bytes.data(), bytes.size()), c, text);
  }
  return texts;
}

}  // namespace tessaril
