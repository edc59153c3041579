// Fuzz target for row rendering: the input is a small data file whose page 1
// is rendered as a data page of a table with a column of every kind of
// storage (fixed, bit, variable, large values, sql_variant, xml), once in
// full and once as the grid's first load. Its other pages are what large
// value links and forwarding stubs lead to, so that the large-value reader,
// the compressed-record path and every value decoder see damaged input.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "catalog/table_layout.h"
#include "fuzz/memory_file.h"
#include "values/row_renderer.h"

namespace {

using namespace tessaril;

struct ColumnKind {
  const char* name;
  const char* typeText;
  std::int32_t code;
  bool variable;
};

// Type codes as the catalog gives them.
constexpr ColumnKind kColumns[] = {
    {"i", "int(4)", 9, false},         {"b", "bit(1)", 2, false},
    {"d", "datetime(8)", 4, false},    {"m", "decimal(9)", 24, false},
    {"c", "nchar(10)", 10, false},     {"u", "uniqueidentifier(16)", 15, false},
    {"v", "varchar(20)", 17, true},    {"n", "nvarchar(-1)", 11, true},
    {"t", "text(16)", 26, true},       {"w", "ntext(16)", 19, true},
    {"g", "image(16)", 25, true},      {"x", "xml(-1)", 34, true},
    {"s", "sql_variant(8016)", 20, true}, {"y", "varbinary(-1)", 16, true},
};

TableLayout MakeLayout() {
  TableLayout layout;
  std::int16_t fixedOffset = 4;
  std::int16_t variableIndex = 0;
  std::int32_t ordinal = 0;
  for (const ColumnKind& kind : kColumns) {
    ColumnDef c = MakeColumnDef(kind.name, kind.typeText, kind.code);
    c.columnId = c.physicalOrdinal = c.nullBit = ++ordinal;
    c.isInRowset = true;
    c.isNullable = true;
    if (kind.variable) {
      c.leafOffset = static_cast<std::int16_t>(-1 - variableIndex++);
    } else {
      c.leafOffset = fixedOffset;
      fixedOffset = static_cast<std::int16_t>(fixedOffset + (c.maxLength > 0 ? c.maxLength : 1));
    }
    layout.columns.push_back(c);
  }
  layout.rowsetColumns.emplace_back();  // placement comes from the leaf offsets
  layout.layoutReady = true;
  return layout;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::MemoryFile file(std::span<const std::uint8_t>(data, size));
  if (!file.ok()) return 0;
  NullProgress progress;
  StopFlag stop;
  auto db = DatabaseFile::Open(file.path(), false, progress, stop, InventoryMode::kSkip);
  if (!db) return 0;
  const TableLayout layout = MakeLayout();
  RecordOptions options;
  options.showDeletedRecords = true;
  options.showAdvancedDeletedRecords = true;
  for (const bool gridLoading : {false, true}) {
    RowContext context(layout, *db.value(), TextDecoding(nullptr, {}), options, false);
    context.gridLoading = gridLoading;
    (void)ReadPageRows(PageId{1, 1}, context);
  }
  return 0;
}
