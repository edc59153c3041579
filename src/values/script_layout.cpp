#include "values/script_layout.h"

#include <algorithm>

#include "catalog/declared_type.h"
#include "catalog/sql_script_tokens.h"
#include "values/value_decoder.h"

namespace tessaril {
namespace {

// The user types of the CLR system types.
constexpr std::int32_t kHierarchyIdUserType = 128;
constexpr std::int32_t kGeometryUserType = 129;
constexpr std::int32_t kGeographyUserType = 130;
constexpr std::uint32_t kNotNullable = 0x1;  // column row status
constexpr int kDefaultTimeScale = 7;
constexpr int kLargestRealPrecision = 24;  // float(1) to float(24) is real
constexpr std::int16_t kTextPointerLength = 16;
constexpr std::int16_t kSysnameLength = 256;

// Names a script may use for a system type under another name.
std::string BaseTypeName(const ScriptColumn& c) {
  if (c.type == "rowversion") return "timestamp";
  if (c.type == "sysname") return "nvarchar";
  if (c.type == "float" && c.precision > 0 && c.precision <= kLargestRealPrecision) return "real";
  return c.type;
}

std::int32_t ClrUserType(const std::string& name) {
  if (name == "hierarchyid") return kHierarchyIdUserType;
  if (name == "geometry") return kGeometryUserType;
  if (name == "geography") return kGeographyUserType;
  return 0;
}

// The stored length of a declared type, in bytes: Unicode types take two a
// character, the (max) types -1, text pointers 16 in the record.
std::int16_t StoredLength(const ScriptColumn& c, const std::string& type) {
  if (c.type == "sysname") return kSysnameLength;
  if (c.isMax) return -1;
  const int declared = std::max(c.length, 1);
  if (type == "nchar" || type == "nvarchar") return static_cast<std::int16_t>(2 * declared);
  for (const char* sized : {"char", "varchar", "binary", "varbinary"}) {
    if (type == sized) return static_cast<std::int16_t>(declared);
  }
  if (type == "text" || type == "ntext" || type == "image") return kTextPointerLength;
  return -1;  // fixed types take their width from the type; others have no limit
}

// The column row a catalog would keep for the column.
ColumnRow RowOf(const ScriptColumn& c, std::int32_t columnId) {
  ColumnRow row;
  const std::string type = BaseTypeName(c);
  row.columnId = columnId;
  row.name = c.name;
  row.systemType = SystemTypeId(type);
  const std::int32_t clr = ClrUserType(type);
  row.userType = clr != 0 ? clr : row.systemType;
  row.length = StoredLength(c, type);
  if (type == "decimal" || type == "numeric") {
    row.precision =
        static_cast<std::uint8_t>(c.precision > 0 ? c.precision : kDefaultDecimalPrecision);
    row.scale = static_cast<std::uint8_t>(std::max(c.scale, 0));
  } else if (type == "time" || type == "datetime2" || type == "datetimeoffset") {
    row.scale = static_cast<std::uint8_t>(c.scale >= 0 ? c.scale : kDefaultTimeScale);
  }
  const bool nullable = c.nullable.value_or(!c.identity.has_value());
  row.status = nullable ? 0 : kNotNullable;
  row.typeStatus = nullable ? 0 : 1;
  if (c.identity) {
    row.identityText = "identity(" + std::to_string(c.identity->first) + "," +
                       std::to_string(c.identity->second) + ")";
  }
  return row;
}

// Places the stored columns one after another as a new table's record has them.
class Placer {
 public:
  // The uniquifier of a clustered index that is not unique: the first
  // variable column of every record, NULL until a key repeats.
  std::int16_t PlaceUniquifier() {
    ++ordinal_;
    return static_cast<std::int16_t>(-(++variable_));
  }

  void Place(ColumnDef& c, std::int32_t nullBit) {
    const ValueLayout value = DescribeValue(c);
    c.physicalOrdinal = ++ordinal_;
    c.nullBit = nullBit == 0 ? c.physicalOrdinal : nullBit;
    c.isInRowset = true;
    if (c.isVariableLength || value.variable) {
      c.leafOffset = static_cast<std::int16_t>(-(++variable_));
    } else if (c.typeCode == kBitCode) {
      if (bits_ % kBitsPerByte == 0) bitByte_ = NextFixed(1);
      c.leafOffset = bitByte_;
      c.bitPosition = static_cast<std::uint16_t>(bits_++ % kBitsPerByte);
    } else {
      c.leafOffset = NextFixed(std::max<int>(value.fixedWidth, 0));
    }
    c.legacyOffset = c.leafOffset;
  }

 private:
  static constexpr int kBitsPerByte = 8;

  std::int16_t NextFixed(int width) {
    const std::int16_t at = fixedEnd_;
    fixedEnd_ = static_cast<std::int16_t>(fixedEnd_ + width);
    return at;
  }

  std::int32_t ordinal_ = 0;
  std::int16_t variable_ = 0;
  std::int16_t fixedEnd_ = kRecordHeaderLength;
  std::int16_t bitByte_ = 0;
  int bits_ = 0;
};

// The column a script declares; a fixed type's length is its width.
ColumnDef ColumnOf(const Catalog& types, const ScriptColumn& s, std::int32_t columnId) {
  ColumnRow row = RowOf(s, columnId);
  ColumnDef c = ColumnFromRow(types, row);
  const ValueLayout value = DescribeValue(c);
  if (!c.isVariableLength && !value.variable && value.fixedWidth > 0) {
    row.length = value.fixedWidth;
    c = ColumnFromRow(types, row);
  }
  c.declaredType = ScriptDeclaredType(s);
  return c;
}

// The clustered index's key (a clustered primary key or unique key, or a
// CREATE CLUSTERED INDEX) and whether it is unique; none for a heap.
struct ClusteredKey {
  std::vector<std::string> columns;
  bool unique = true;
};

ClusteredKey ClusteredKeyOf(const ScriptTable& table) {
  if (table.primaryKey && table.primaryKey->clustered) return {table.primaryKey->columns, true};
  for (const ScriptKey& k : table.uniqueKeys) {
    if (k.clustered) return {k.columns, true};
  }
  for (const ScriptIndex& i : table.indexes) {
    if (i.clustered) return {i.columns, i.unique};
  }
  return {};
}

// The script's columns in the order their records hold them: a clustered
// index's key columns first, in key order, then the others in column order.
// Computed columns are left out: they are not stored.
std::vector<std::size_t> RecordOrder(const ScriptTable& table, const ClusteredKey& key) {
  std::vector<std::size_t> order;
  const auto add = [&](std::size_t i) {
    if (!table.columns[i].type.empty() && std::find(order.begin(), order.end(), i) == order.end())
      order.push_back(i);
  };
  for (const std::string& name : key.columns) {
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      if (sql::IEquals(table.columns[i].name, name)) add(i);
    }
  }
  for (std::size_t i = 0; i < table.columns.size(); ++i) add(i);
  return order;
}

}  // namespace

TableLayout LayOutScriptTable(const ScriptTable& table, bool sql2000) {
  TableLayout layout;
  layout.object.id = -1;
  layout.object.name = table.name;
  layout.object.schemaId = 1;  // dbo
  layout.object.type = "U ";
  Catalog types;  // no type rows: columns are named by their system types
  types.sql2000Layout = sql2000;
  Placer placer;
  const ClusteredKey key = ClusteredKeyOf(table);
  const auto placement = [&](std::int32_t columnId, std::int32_t ordinal, std::int16_t offset,
                             std::int32_t nullBit, std::uint16_t bit) {
    layout.rowsetColumns.push_back(
        {0, columnId, ordinal, 0, static_cast<std::uint16_t>(offset), nullBit, bit});
  };
  if (!key.columns.empty() && !key.unique) {
    const std::int16_t offset = placer.PlaceUniquifier();
    placement(0, 1, offset, 1, 0);
  }
  for (const std::size_t i : RecordOrder(table, key)) {
    const auto columnId = static_cast<std::int32_t>(i + 1);
    ColumnDef c = ColumnOf(types, table.columns[i], columnId);
    // SQL Server 2000 gives a column the null bit of its id.
    placer.Place(c, sql2000 ? columnId : 0);
    placement(c.columnId, c.physicalOrdinal, c.leafOffset, c.nullBit, c.bitPosition);
    if (table.primaryKey) {
      for (const std::string& name : table.primaryKey->columns) {
        if (sql::IEquals(name, c.name)) c.isPrimaryKeyColumn = true;
      }
    }
    layout.columns.push_back(std::move(c));
  }
  // SQL Server 2000 counts a computed column among a record's columns,
  // though it stores nothing of it.
  for (std::size_t i = 0; sql2000 && i < table.columns.size(); ++i) {
    const auto columnId = static_cast<std::int32_t>(i + 1);
    if (table.columns[i].type.empty()) placement(columnId, columnId, 0, columnId, 0);
  }
  std::sort(layout.columns.begin(), layout.columns.end(),
            [](const ColumnDef& a, const ColumnDef& b) { return a.columnId < b.columnId; });
  layout.layoutReady = true;
  return layout;
}

}  // namespace tessaril
