// The column values of a row- or page-compressed record.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_view.h"
#include "catalog/table_layout.h"
#include "records/compressed_layout.h"
#include "records/compression_info.h"
#include "records/record.h"
#include "values/value_decoder.h"

namespace tessaril {

// A column's bytes with the page's compression undone: a dictionary symbol
// replaced by its entry, then the anchor prefix put back in front. False when
// the symbol is beyond the dictionary or the prefix beyond the anchor value;
// the value is then empty. Code 1 (an empty value) never takes the anchor.
bool ResolvePageCompression(const StoredColumn& column, std::size_t index,
                            const CompressionInfo& info, std::vector<std::uint8_t>& out);

// The text of a long value that points outside the record (large values,
// row-overflow data); supplied by the row renderer.
using ComplexValueReader = std::function<std::string(const RecordValue&, const ColumnDef&)>;

// The texts of a compressed record, one per column of the table in layout
// order (empty for a column without storage, nullopt for NULL). Column c takes the record's
// column physicalOrdinal - 1. A column the record does not hold (added
// later) is NULL when nullable.
std::vector<std::optional<std::string>> RenderCompressedRecord(
    const CPrimaryRecord& r, const CompressionInfo& info, const std::vector<ColumnDef>& columns,
    TextDecoding& text, const RecordOptions& options, const ComplexValueReader& complexText);

}  // namespace tessaril
