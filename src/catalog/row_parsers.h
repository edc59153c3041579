// Cutting base-table rows out of decoded records. Each parser returns nothing
// for a record that is too short for its table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "records/record.h"

namespace tessaril {

// Names for catalog rows whose name is lost: a prefix and a running number.
class NameCounter {
 public:
  std::string Next(const char* prefix) { return prefix + std::to_string(next_++); }
  void Reset() { next_ = 0; }

 private:
  std::uint64_t next_ = 0;
};

// The UTF-16 text of variable value i, or nothing when the record has no
// data there.
std::optional<std::string> VariableText(const CRecord& r, std::size_t i);

std::optional<CatalogObject> ParseObject(const CRecord& r, NameCounter& names);
std::optional<CatalogObject> ParseObject2000(const CRecord& r, NameCounter& names);
std::optional<SecondaryFile> ParseFile(const CRecord& r);
std::optional<AllocationUnitRow> ParseAllocationUnit(const CRecord& r);
std::optional<RowsetRow> ParseRowset(const CRecord& r);
std::optional<ColumnRow> ParseColumn(const CRecord& r, NameCounter& names);
std::optional<ColumnRow> ParseColumn2000(const CRecord& r, NameCounter& names);
std::optional<ScalarTypeRow> ParseScalarType(const CRecord& r);
std::optional<ScalarTypeRow> ParseType2000(const CRecord& r);
std::optional<RowsetColumnRow> ParseRowsetColumn(const CRecord& r);
std::optional<SingleReferenceRow> ParseSingleReference(const CRecord& r);
std::optional<IndexRow> ParseIndex(const CRecord& r);
std::optional<IndexColumnRow> ParseIndexColumn(const CRecord& r);
// A schema row of the class object table (class 50); other classes give none.
std::optional<SchemaRow> ParseSchema(const CRecord& r);

// 2005 rowset columns: the hobt column table (13) and the table (4) that
// completes each of its rows.
struct HobtColumnPart {
  std::uint64_t rowsetId = 0;
  std::int32_t columnId = 0;
  std::uint32_t value = 0;
};
std::optional<HobtColumnPart> ParseHobtColumn(const CRecord& r);
std::optional<HobtColumnPart> ParseHobtColumnValue(const CRecord& r);

// A 2000 index row (sysindexes): what the row says of the table's pages, and
// as an index with its key columns in the 2005 terms (status bits 0x1 index,
// 0x8 unique, 0x20 primary key, 0x40 unique constraint).
struct Index2000 {
  Index2000Row pages;
  IndexRow index;
  std::vector<IndexColumnRow> keys;
};
std::optional<Index2000> ParseIndex2000(const CRecord& r);

// A 2000 foreign key row (sysreferences): one column pair per key column,
// names left empty.
std::vector<ForeignKeyColumn> ParseReference2000(const CRecord& r);

}  // namespace tessaril
