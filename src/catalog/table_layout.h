// The layout of one table: which pages hold its rows and how its columns lie
// in a record. Built from catalog rows already in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/hex_text.h"
#include "catalog/module_pieces.h"
#include "records/record_decoder.h"

namespace tessaril {

// One column of a table, in record order, with the slot in which a row's
// value text is placed when the row is rendered.
struct ColumnDef {
  std::int16_t maxLength = 0;
  std::int32_t columnId = 0;
  std::string name;
  std::int32_t typeCode = 0;
  std::string typeText;      // "int(4)": the type name and the stored length
  std::string declaredType;  // "int", "nvarchar(40)", "decimal(10,2)": as declared
  std::string storedType;    // the system type it stores: a user type's base type
  bool isNullable = false;
  bool isVariableLength = false;
  bool isSparse = false;
  std::string valueText;  // a computed column's definition, or a rendered value
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  std::int32_t physicalOrdinal = 0;  // kNoStorage: not stored in the record
  bool isInRowset = false;
  std::int16_t leafOffset = 0;
  std::int16_t legacyOffset = 0;
  std::int32_t nullBit = 0;
  std::uint16_t bitPosition = 0;  // bit columns: the bit within the byte at leafOffset
  bool isPrimaryKeyColumn = false;
  bool isUniqueIndexColumn = false;
  bool isUniqueConstraintColumn = false;
  bool isForeignKeyColumn = false;
  bool isRowGuidColumn = false;
  std::string referencedTable;
  std::string referencedColumn;
  std::string identityText;
  std::uint8_t keyOrdinal = 0;
  std::int32_t collationId = -1;
};

inline constexpr std::int32_t kNoStorage = -99;

// A child object of a table: a key, constraint, default or trigger.
struct ConstraintEntry {
  bool isPrimaryKey = false;
  bool isForeignKey = false;
  bool isUnique = false;
  std::string name;
  std::int32_t objectId = 0;
  std::string typeCode;
};

struct TableLayout {
  CatalogObject object;  // id -1 when not found
  std::vector<ColumnDef> columns;
  std::vector<ConstraintEntry> constraints;
  std::vector<IndexRow> indexes;
  std::vector<RowsetColumnRow> rowsetColumns;
  std::vector<HobtColumnRow> hobtColumns;
  bool layoutReady = false;
  std::int32_t firstStoredColumn = 0;

  // Pages of the table.
  std::vector<PageId> pages;
  RowsetRow rowset;                    // the first partition of the heap or clustered index
  AllocationUnitRow allocationUnit;    // its in-row data unit
  std::vector<RowsetRow> rowsets;      // every rowset of the object
  std::vector<RowsetRow> dataRowsets;  // the heap or clustered index, every partition in order
  std::vector<AllocationUnitRow> allocationUnits;
  bool rowsetFromIndexTable = false;
  // The table of a lost allocation unit: its records are shown as stored,
  // without a column layout.
  bool lostUnit = false;
  // The pages are the inventory's pages of a unit no catalog row claims,
  // not reached through the table's links: they are walked as listed.
  bool pagesFromInventory = false;
};

// Type codes a module or constraint is shown by, rather than laid out.
bool IsModuleType(std::string_view type);

// Lays out the object with this name: a table ("U ", "S ") is found only under
// its own type code, anything else by name alone. A module gives three
// entries whose value texts are its id, its type and its name.
TableLayout BuildTableLayout(const Catalog& catalog, const DatabaseFile& db, std::string_view name,
                             std::string_view type, const std::vector<ModuleTextEntry>& moduleTexts,
                             const RecordOptions& options);
// Lays out this object of the catalog, as above.
TableLayout BuildTableLayout(const Catalog& catalog, const DatabaseFile& db,
                             const CatalogObject& object,
                             const std::vector<ModuleTextEntry>& moduleTexts,
                             const RecordOptions& options);

// The column a column row declares, before the placement rows place it.
ColumnDef ColumnFromRow(const Catalog& catalog, const ColumnRow& row);

// How a column is listed: name, two blanks, type text, then "[Primary Key]"
// or "[Unique]", then "  (foreign key) references T( c)" for a foreign key.
std::string ColumnItemText(const ColumnDef& column);

// A column definition from a name, a type text "name(length)" and a type code.
ColumnDef MakeColumnDef(std::string name, std::string typeText, std::int32_t typeCode);

}  // namespace tessaril
