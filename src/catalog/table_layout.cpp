#include "catalog/table_layout.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>

#include "base/code_page.h"
#include "base/unicode.h"
#include "catalog/declared_type.h"
#include "catalog/lost_units.h"
#include "catalog/table_pages.h"

namespace tessaril {
namespace {

constexpr std::int32_t kIdMask = static_cast<std::int32_t>(0xFCFFFFFF);
constexpr std::int32_t kGeometryUserType = 129;
constexpr std::int32_t kHierarchyIdUserType = 128;
// Column status bits (syscolpars).
constexpr std::uint32_t kNotNullable = 0x1;
constexpr std::uint32_t kRowGuidColumn = 0x8;
constexpr std::uint32_t kSparseColumn = 0x1000000;

const CatalogObject* FindByNameAndType(const Catalog& catalog, std::string_view name,
                                       std::string_view type) {
  for (const CatalogObject& o : catalog.objects) {
    if (o.name == name && (o.type == type || (o.type != "U " && o.type != "S "))) return &o;
  }
  return nullptr;
}

// The type name of a column: the scalar type row of its system type, the
// one that is also its user type (in schema sys) when there is one.
std::string TypeName(const Catalog& catalog, const ColumnRow& column) {
  const ScalarTypeRow* first = nullptr;
  for (const ScalarTypeRow& t : catalog.scalarTypes) {
    if (t.id != column.systemType) continue;
    if (t.id == column.userType && t.systemType == column.systemType && t.schemaId == 1)
      return t.name;
    if (first == nullptr) first = &t;
  }
  // The type rows may be lost with the rest of a damaged catalog.
  return first != nullptr ? first->name : SystemTypeName(column.systemType, column.userType);
}

}  // namespace

ColumnDef ColumnFromRow(const Catalog& catalog, const ColumnRow& row) {
  std::int32_t code = InternalTypeCode(row.systemType);
  const std::string typeText = TypeName(catalog, row) + "(" + std::to_string(row.length) + ")";
  if (!catalog.sql2000Layout && code == kClrCode) {
    if (row.userType == kGeometryUserType) code = kGeometryCode;
    if (row.userType == kHierarchyIdUserType) code = kHierarchyIdCode;
  }
  ColumnDef c = MakeColumnDef(row.name, typeText, code);
  c.columnId = row.columnId;
  c.physicalOrdinal = row.columnId;
  c.precision = row.precision;
  c.scale = row.scale;
  c.collationId = row.collationId;
  c.identityText = row.identityText;
  c.declaredType = DeclaredTypeText(catalog, row);
  c.storedType = StoredTypeText(row);
  if (catalog.sql2000Layout) {
    // The column row itself places the column: xoffset is the offset in the
    // record (negative: the number of a variable column), and the null bit
    // is the column's own (its id, counted from 1).
    c.isNullable = (row.typeStatus & 0x1) == 0;
    c.leafOffset = row.offsetInRow;
    c.legacyOffset = row.offsetInRow;
    c.nullBit = row.columnId;
    c.bitPosition = row.bitPosition;
    // A computed column has no place in the record: its offset is 0.
    c.isInRowset = row.offsetInRow != 0;
  } else {
    c.isNullable = (row.status & kNotNullable) == 0;
    c.isSparse = (row.status & kSparseColumn) != 0;
    c.isRowGuidColumn = (row.status & kRowGuidColumn) != 0;
  }
  return c;
}

namespace {

// The object's column rows: number 0, the object id compared without bits 24
// and 25, the first row of each column id.
std::vector<const ColumnRow*> ColumnRowsOf(const Catalog& catalog, std::int32_t objectId) {
  std::vector<const ColumnRow*> rows;
  std::set<std::int32_t> seen;
  for (const ColumnRow& c : catalog.columns) {
    if ((c.objectId & kIdMask) != (objectId & kIdMask)) continue;
    if (!catalog.sql2000Layout && c.number != 0) continue;
    if (seen.insert(c.columnId).second) rows.push_back(&c);
  }
  return rows;
}

ColumnDef* ColumnWithId(std::vector<ColumnDef>& columns, std::int32_t id) {
  for (ColumnDef& c : columns) {
    if (c.columnId == id) return &c;
  }
  return nullptr;
}

std::string ModuleText(const std::vector<ModuleTextEntry>& texts, std::int32_t objectId,
                       std::int32_t number) {
  return JoinModuleText(texts, std::to_string(objectId), std::to_string(number));
}

// The 2005 placement rows give no bit position: the bit columns that share
// a byte take its bits in the order of their place in the record. Columns
// laid on one physical column (a column rewritten in place) share its bit.
void NumberBitsSharingAByte(std::vector<ColumnDef>& columns) {
  std::map<std::int16_t, std::set<std::int32_t>> ordinalsByByte;
  for (const ColumnDef& c : columns) {
    if (c.typeCode == kBitCode && c.physicalOrdinal != kNoStorage && c.leafOffset > 0) {
      ordinalsByByte[c.leafOffset].insert(c.physicalOrdinal);
    }
  }
  for (ColumnDef& c : columns) {
    const auto byte = ordinalsByByte.find(c.leafOffset);
    if (c.typeCode != kBitCode || c.physicalOrdinal == kNoStorage || byte == ordinalsByByte.end())
      continue;
    const std::set<std::int32_t>& ordinals = byte->second;
    c.bitPosition = static_cast<std::uint16_t>(
        std::distance(ordinals.begin(), ordinals.find(c.physicalOrdinal)));
  }
}

// Where each column lies in a record: from the rowset column rows (2008 and
// later) or the 2005 hobt column rows; SQL Server 2000 rows carry it
// themselves. A column no row places has no storage in the record.
void PlaceColumns(TableLayout& layout, const std::vector<ModuleTextEntry>& texts, bool sql2000) {
  if (!layout.rowsetColumns.empty()) {
    for (const RowsetColumnRow& r : layout.rowsetColumns) {
      // A dropped column's row stays behind; it never places a live column
      // that reuses its id.
      if ((r.status & kDroppedRowsetColumn) != 0) continue;
      ColumnDef* c = ColumnWithId(layout.columns, r.rowsetColumnId);
      if (c == nullptr) continue;
      c->leafOffset = static_cast<std::int16_t>(r.offset & 0xFFFF);
      c->physicalOrdinal = r.partitionColumnId;
      c->nullBit = r.nullBit & 0xFFFF;
      c->bitPosition = static_cast<std::uint16_t>(r.bitPosition & 0xFF);
      c->isInRowset = true;
    }
  } else if (!layout.hobtColumns.empty()) {
    const std::size_t columnCount = layout.columns.size();
    for (const HobtColumnRow& r : layout.hobtColumns) {
      const auto offset = static_cast<std::int16_t>(r.offsetWord & 0xFFFF);
      const auto nullBit = static_cast<std::int32_t>(static_cast<std::int16_t>(r.offsetWord >> 16));
      if (ColumnDef* c = ColumnWithId(layout.columns, r.columnId)) {
        c->leafOffset = offset;
        c->nullBit = nullBit;
        c->physicalOrdinal = r.completedValue;
        c->isInRowset = true;
      } else if (columnCount != layout.hobtColumns.size()) {
        ColumnDef dropped;
        dropped.columnId = r.columnId;
        dropped.physicalOrdinal = kNoStorage;
        dropped.leafOffset = offset;
        dropped.nullBit = nullBit;
        if (columnCount > 0) dropped.valueText = ModuleText(texts, layout.object.id, r.columnId);
        layout.columns.push_back(dropped);
      }
    }
    const std::vector<ColumnDef> placed = layout.columns;
    for (ColumnDef& c : layout.columns) {
      const auto source = std::find_if(placed.begin(), placed.end(), [&](const ColumnDef& p) {
        return p.columnId == c.physicalOrdinal;
      });
      if (source != placed.end()) {
        c.leafOffset = source->leafOffset;
        c.nullBit = source->nullBit;
      } else if (c.physicalOrdinal != kNoStorage) {
        c.valueText = ModuleText(texts, layout.object.id, c.physicalOrdinal);
      }
    }
    NumberBitsSharingAByte(layout.columns);
    return;
  } else if (!sql2000) {
    for (ColumnDef& c : layout.columns) c.isInRowset = true;
  }
  for (ColumnDef& c : layout.columns) {
    if (c.isInRowset) continue;
    c.physicalOrdinal = kNoStorage;
    const std::string text = ModuleText(texts, layout.object.id, c.columnId);
    if (!text.empty()) c.valueText = text;
  }
}

void SetKeyFlags(const Catalog& catalog, TableLayout& layout) {
  for (const IndexRow& index : catalog.indexes) {
    if (index.objectId != layout.object.id || (index.status & kIsIndex) == 0 || index.indexId <= 0)
      continue;
    layout.indexes.push_back(index);
    for (const IndexColumnRow& key : catalog.indexColumns) {
      if (key.objectId != index.objectId || key.indexId != index.indexId) continue;
      ColumnDef* c = ColumnWithId(layout.columns, key.columnId);
      if (c == nullptr) continue;
      if ((index.status & kPrimaryKeyIndex) != 0) c->isPrimaryKeyColumn = true;
      if ((index.status & kUniqueIndex) != 0) c->isUniqueIndexColumn = true;
      if ((index.status & kUniqueConstraintIndex) != 0) {
        c->isUniqueConstraintColumn = true;
        c->keyOrdinal = key.property1;
      }
    }
  }
  for (const ForeignKeyColumn& fk : catalog.foreignKeyColumns) {
    if (fk.referencingObjectId != layout.object.id) continue;
    ColumnDef* c = ColumnWithId(layout.columns, fk.referencingColumnId);
    if (c == nullptr || fk.referencedTableName.empty() || fk.referencedColumnName.empty()) continue;
    c->isForeignKeyColumn = true;
    c->referencedTable = fk.referencedTableName;
    c->referencedColumn = fk.referencedColumnName;
  }
}

std::int16_t ParsedLength(const std::string& typeText) {
  const std::size_t open = typeText.find('(');
  const std::size_t close = typeText.find(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return 0;
  return static_cast<std::int16_t>(
      std::strtol(typeText.substr(open + 1, close - open - 1).c_str(), nullptr, 10));
}

}  // namespace

std::string ColumnItemText(const ColumnDef& c) {
  std::string text = c.name + "  " + c.typeText;
  if (c.isPrimaryKeyColumn) {
    text += "[Primary Key]";
  } else if (c.isUniqueConstraintColumn || c.isUniqueIndexColumn) {
    text += "[Unique]";
  }
  if (c.isForeignKeyColumn) {
    text += "  (foreign key) references " + c.referencedTable + "( " + c.referencedColumn + ")";
  }
  return text;
}

bool IsModuleType(std::string_view type) {
  for (const char* t : {"PK", "X ", "P ", "C ", "FN", "IF", "TR", "V ", "D ", "TT", "F ", "TF"}) {
    if (type == t) return true;
  }
  return false;
}

ColumnDef MakeColumnDef(std::string name, std::string typeText, std::int32_t typeCode) {
  ColumnDef c;
  c.name = std::move(name);
  c.typeText = std::move(typeText);
  c.typeCode = typeCode;
  c.nullBit = -1;
  switch (typeCode) {
    case 1:
    case 3:
    case 10:
    case 23:
    case 24:
      c.maxLength = ParsedLength(c.typeText);
      break;
    case 11:
    case 26:
    case 31:
    case 32:
    case 33:
    case 34:
      c.isVariableLength = true;
      c.maxLength = ParsedLength(c.typeText);
      break;
    case 18:
      c.isVariableLength = true;
      c.maxLength = ParsedLength(c.typeText);
      c.typeCode = 11;
      break;
    case 16:
    case 17:
    case 19:
    case 20:
    case 25:
      c.isVariableLength = true;
      break;
    default:
      if (typeCode > 34) {
        c.isVariableLength = true;
        c.typeCode = 17;
      }
      break;
  }
  return c;
}

TableLayout BuildTableLayout(const Catalog& catalog, const DatabaseFile& db, std::string_view name,
                             std::string_view type, const std::vector<ModuleTextEntry>& moduleTexts,
                             const RecordOptions& options) {
  const CatalogObject* found = FindByNameAndType(catalog, name, type);
  if (found == nullptr) {
    TableLayout layout;
    layout.object.id = -1;
    return layout;
  }
  return BuildTableLayout(catalog, db, *found, moduleTexts, options);
}

TableLayout BuildTableLayout(const Catalog& catalog, const DatabaseFile& db,
                             const CatalogObject& object,
                             const std::vector<ModuleTextEntry>& moduleTexts,
                             const RecordOptions& options) {
  TableLayout layout;
  const CatalogObject* found = &object;
  layout.object = *found;
  for (const CatalogObject& o : catalog.objects) {
    if (options.stopRequested()) break;
    if (o.parentId != found->id) continue;
    layout.constraints.push_back({o.type == "PK", o.type == "F ", o.type == "UQ", o.name,
                                  catalog.sql2000Layout ? found->id : o.id, o.type});
  }
  if (IsModuleType(found->type)) {
    for (const std::string& text : {std::to_string(found->id), found->type, found->name}) {
      ColumnDef entry;
      entry.valueText = text;
      layout.columns.push_back(entry);
    }
    return layout;
  }
  if (const auto lost = catalog.lostUnits.find(found->id); lost != catalog.lostUnits.end()) {
    LayOutLostUnit(lost->second, db, options, layout);
    return layout;
  }
  SelectTablePages(catalog, db, layout, options);
  for (const ColumnRow* row : ColumnRowsOf(catalog, found->id)) {
    if (row->systemType != 0) layout.columns.push_back(ColumnFromRow(catalog, *row));
  }
  for (const RowsetColumnRow& r : catalog.rowsetColumns) {
    if (r.rowsetId == layout.rowset.rowsetId) layout.rowsetColumns.push_back(r);
  }
  if (layout.rowsetColumns.empty()) {
    for (const HobtColumnRow& r : catalog.hobtColumns) {
      if (r.rowsetId == layout.rowset.rowsetId) layout.hobtColumns.push_back(r);
    }
  }
  std::stable_sort(layout.columns.begin(), layout.columns.end(),
                   [](const ColumnDef& a, const ColumnDef& b) { return a.columnId < b.columnId; });
  PlaceColumns(layout, moduleTexts, catalog.sql2000Layout);
  SetKeyFlags(catalog, layout);
  const auto stored =
      std::find_if(layout.columns.begin(), layout.columns.end(),
                   [](const ColumnDef& c) { return c.physicalOrdinal != kNoStorage; });
  layout.firstStoredColumn = stored == layout.columns.end()
                                 ? 0
                                 : static_cast<std::int32_t>(stored - layout.columns.begin());
  layout.layoutReady = true;
  return layout;
}

}  // namespace tessaril
