// Values kept outside their record: following the record's pointer and
// turning the assembled bytes into text by the column's type.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_view.h"
#include "catalog/table_layout.h"
#include "records/lob.h"
#include "values/value_decoder.h"

namespace tessaril {

struct RowContext;

// Shown while the record grid is first filled, in place of values that would
// take a walk over text pages.
inline constexpr const char* kBinaryDataPlaceholder = "<BINARY DATA>";
inline constexpr const char* kBigBinaryDataPlaceholder = "<BIG BINARY DATA>";

// What a complex variable value of a record holds.
enum class ComplexValueKind {
  kTextPointer,  // 16 bytes in a text, ntext or image column
  kRowOverflow,  // an in-row root of row-overflow data (complex id 2)
  kLobRoot,      // an in-row root of a (max) value (complex id 4)
  kOther,        // a sparse vector, a back pointer, or damage
};

ComplexValueKind ClassifyComplexValue(ByteView value, std::int32_t typeCode);

// The assembled bytes of a value kept outside the record; nothing when the
// complex value points nowhere.
std::optional<LobBytes> ReadLargeValue(ByteView value, std::int32_t typeCode, LobReader& reader);

// The text of a value's whole bytes by the column's type: text and varchar
// in the column collation's code page, ntext and nvarchar as UTF-16LE, xml
// as xml text, sql_variant by its base type, binary types as hexadecimal
// (without the "0x" the row renderer puts in front of varbinary and image).
// Nothing is cut at a zero byte. A pointer that reached no structure gives
// " ".
std::string LargeValueText(const LobBytes& value, const ColumnDef& column, TextDecoding& text);

// The text of a complex value of a record as the row shows it, following its
// pointer unless the grid is being filled (placeholders then, as above).
std::string ComplexValueText(const CRecord& record, ByteView value, const ColumnDef& column,
                             RowContext& context);

bool IsLargeValuePlaceholder(std::string_view text);

// Whether a column's values can be kept outside the record: text, ntext,
// image, xml and the (max) types.
bool HoldsLargeValues(const ColumnDef& column);

// The stored bytes of one value of one record, kept while the walk renders
// it: the assembled bytes for a value kept outside the record, the value's
// own bytes otherwise. Nothing for NULL.
struct ValueCapture {
  RecordId record;
  std::size_t column = 0;  // index into the layout's columns
  std::optional<std::vector<std::uint8_t>> bytes;
};

// Keeps bytes when the walk's capture asks for this record and column.
void CaptureValue(RowContext& context, const CRecord& record, const ColumnDef& column,
                  ByteView bytes);

}  // namespace tessaril
