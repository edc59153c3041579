#include "values/lost_unit_cells.h"

#include "base/unicode.h"
#include "values/value_decoder.h"

namespace tessaril {
namespace {

bool PrintableAscii(ByteView bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::uint8_t b = bytes.At(i);
    if ((b < 0x20 || b > 0x7E) && b != '\t' && b != '\n' && b != '\r') return false;
  }
  return true;
}

// A printable character of the Basic Multilingual Plane.
bool PrintableUnit(std::uint16_t u) {
  const bool control = (u < 0x20 && u != '\t' && u != '\n' && u != '\r') || (u >= 0x7F && u < 0xA0);
  return !control && !(u >= 0xE000 && u <= 0xF8FF) && u < 0xFFF0;
}

}  // namespace

std::string LostValueText(ByteView bytes, RowContext& context) {
  if (bytes.empty()) return {};
  // ASCII text first: two ASCII letters read as UTF-16 make one CJK
  // character, which is seldom what was stored.
  if (PrintableAscii(bytes)) return context.text.Decode(bytes, context.text.CodePageOf(-1));
  if (IsUtf16Text(bytes, PrintableUnit)) return Utf16LeToUtf8(bytes);
  return BinaryText(bytes);
}

std::vector<Cell> LostUnitCells(const CPrimaryRecord& record, RowContext& context) {
  const std::vector<ColumnDef>& columns = context.layout.columns;
  std::vector<Cell> cells(columns.size(), Cell::Null());
  if (cells.empty()) return cells;
  const ByteView fixed = record.isCompressed ? record.rawRecord() : record.fixedData();
  cells[0] = Cell::Text(BinaryText(fixed));
  cells[0].binary = true;
  for (std::size_t v = 0; v < record.values.size() && v + 1 < cells.size(); ++v) {
    const RecordValue& value = record.values[v];
    if (!value.hasData) {
      // No bytes: NULL and the empty string look alike without the table's
      // columns to place the null bits; the record holds an empty value.
      if (value.length == 0) cells[v + 1] = Cell::Text({});
      continue;
    }
    const ByteView bytes = record.ValueBytes(value);
    cells[v + 1] = Cell::Text(value.complex ? BinaryText(bytes) : LostValueText(bytes, context));
  }
  return cells;
}

}  // namespace tessaril
