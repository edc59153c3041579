// The catalog rebuilt from the base system tables: one list of rows per
// table, in the order the pages hold them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "catalog/column_row.h"
#include "catalog/system_rows.h"
#include "storage/database_file.h"

namespace tessaril {

// One column pair of a foreign key, with the names of both sides.
struct ForeignKeyColumn {
  std::int32_t foreignKeyId = 0;
  std::int32_t keyOrdinal = 0;
  std::int32_t referencingObjectId = 0;
  std::int32_t referencingColumnId = 0;
  std::int32_t referencedObjectId = 0;
  std::int32_t referencedColumnId = 0;
  std::string foreignKeyName;
  std::string referencingTableName;
  std::string referencingColumnName;
  std::string referencedTableName;
  std::string referencedColumnName;
  std::uint32_t foreignKeyStatus = 0;
};

struct TableLayout;

struct LostUnit {
  std::uint64_t unitId = 0;   // as the pages' headers name it
  std::vector<PageId> pages;  // in file order
  // The layout of the table of a schema the user gave (another copy of the
  // database, or its script) whose rows these are; null: shown as stored.
  std::shared_ptr<const TableLayout> schema;
};

struct Catalog {
  // True when the file keeps the SQL Server 2000 base tables.
  bool sql2000Layout = false;
  std::string databaseName;

  std::vector<SecondaryFile> files;
  std::vector<CatalogObject> objects;
  std::vector<AllocationUnitRow> allocationUnits;
  std::vector<RowsetRow> rowsets;
  std::vector<ColumnRow> columns;
  std::vector<ScalarTypeRow> scalarTypes;
  std::vector<RowsetColumnRow> rowsetColumns;
  std::vector<SingleReferenceRow> singleReferences;
  std::vector<IndexRow> indexes;
  std::vector<IndexColumnRow> indexColumns;
  std::vector<HobtColumnRow> hobtColumns;
  std::map<std::int32_t, Index2000Row> indexes2000;  // by object id
  std::vector<ForeignKeyColumn> foreignKeyColumns;
  std::vector<SchemaRow> schemas;  // 2005 and later
  // Data pages of allocation units no catalog row claims (their table's
  // rows are lost), grouped by unit: each is shown as a table of its own,
  // "LostAndFound_<unit id>", under a made-up object id, the key here.
  std::map<std::int32_t, LostUnit> lostUnits;

  // The first object row with this id, or null.
  const CatalogObject* FindObject(std::int32_t id) const;
  // The name of a schema (2005 and later) or owner (2000): the stored name,
  // else the name every database gives that id ("dbo", "sys"), else empty.
  std::string SchemaName(std::int32_t schemaId) const;
};

// The table that owns an allocation unit, as the catalog says: the unit's
// rowset's object (2005 and later), or the header's object id itself in the
// SQL Server 2000 layout. Null when the catalog names none.
const CatalogObject* OwnerOfUnit(const Catalog& catalog, std::uint64_t unitId);

}  // namespace tessaril
