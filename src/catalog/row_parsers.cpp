#include "catalog/row_parsers.h"

#include "base/unicode.h"

namespace tessaril {
namespace {

// Minimum fixed lengths of the tables' rows.
constexpr std::size_t kObjectMin = 24;
constexpr std::size_t kObject2000Min = 28;
constexpr std::size_t kFileMin = 520;
constexpr std::size_t kAllocationUnitMin = 39;
constexpr std::size_t kRowsetMin = 27;
constexpr std::size_t kColumnMin = 37;
constexpr std::size_t kColumn2000Min = 20;
constexpr std::size_t kScalarTypeMin = 34;
constexpr std::size_t kType2000Min = 20;
constexpr std::size_t kRowsetColumnMin = 48;
constexpr std::size_t kIndexMin = 27;
constexpr std::size_t kIndexColumnMin = 21;
constexpr std::size_t kIndex2000Min = 64;
constexpr std::size_t kReference2000Min = 16;
constexpr std::size_t kClassObjectMin = 5;  // class byte and id
constexpr std::uint8_t kSchemaClass = 50;
constexpr std::size_t kKeyEntrySize = 32;  // one key column in a 2000 index row's key list

// 2000 object status bit of objects shipped with the server.
constexpr std::uint32_t kShippedObject2000 = 0x80000000u;

// 2000 index status bits and their 2005 counterparts.
constexpr std::uint32_t kUnique2000 = 0x2;
constexpr std::uint32_t kHypothetical2000 = 0x20;
constexpr std::uint32_t kAutoStatistics2000 = 0x40;
constexpr std::uint32_t kPrimaryKey2000 = 0x800;
constexpr std::uint32_t kUniqueConstraint2000 = 0x1000;
constexpr std::uint32_t kStatistics2000 = 0x800000;

bool Fits(const CRecord& r, std::size_t minimum) {
  return !r.isInvalid && r.recordType != kBlobFragment && r.fixedData().size() >= minimum;
}

std::string TwoChars(ByteView f, std::size_t offset) {
  return {static_cast<char>(f.At(offset)), static_cast<char>(f.At(offset + 1))};
}

// A fixed-width UTF-16 name field: up to the first U+0000, trailing blanks removed.
std::string FixedName(ByteView f, std::size_t offset, std::size_t units) {
  ByteView field = f.Sub(offset, units * 2);
  std::size_t length = 0;
  while (length + 1 < field.size() && (field.At(length) != 0 || field.At(length + 1) != 0))
    length += 2;
  std::string name = Utf16LeToUtf8(field.Sub(0, length));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

// Object names: lost gives "Repairname", present but empty gives "RepairColumn".
std::string ObjectName(const CRecord& r, NameCounter& names) {
  const std::optional<std::string> text = VariableText(r, 0);
  if (!text) return names.Next("Repairname");
  if (text->empty()) return names.Next("RepairColumn");
  return *text;
}

std::string ColumnName(const CRecord& r, NameCounter& names) {
  const std::optional<std::string> text = VariableText(r, 0);
  return text && !text->empty() ? *text : names.Next("RepairColumn");
}

}  // namespace

std::optional<std::string> VariableText(const CRecord& r, std::size_t i) {
  if (i >= r.values.size() || !r.values[i].hasData) return std::nullopt;
  return Utf16LeToUtf8(r.ValueBytes(r.values[i]));
}

std::optional<CatalogObject> ParseObject(const CRecord& r, NameCounter& names) {
  if (!Fits(r, kObjectMin)) return std::nullopt;
  const ByteView f = r.fixedData();
  CatalogObject o;
  o.id = static_cast<std::int32_t>(LoadU32(f, 0));
  o.schemaId = static_cast<std::int32_t>(LoadU32(f, 4));
  o.schemaClass = f.At(8);
  o.status = LoadU32(f, 9);
  o.type = TwoChars(f, 13);
  o.parentId = static_cast<std::int32_t>(LoadU32(f, 15));
  o.parentClass = f.At(19);
  o.internalProperty = static_cast<std::int32_t>(LoadU32(f, 20));
  o.name = ObjectName(r, names);
  o.systemOwned = o.id < 0 || o.schemaId == kSysSchemaId || o.schemaId == kInformationSchemaId;
  return o;
}

// sysobjects of SQL Server 2000 as stored: id at 0, xtype at 4, owner (uid)
// at 8, status at 12, parent object at 24, creation date at 28.
std::optional<CatalogObject> ParseObject2000(const CRecord& r, NameCounter& names) {
  if (!Fits(r, kObject2000Min)) return std::nullopt;
  const ByteView f = r.fixedData();
  CatalogObject o;
  o.id = static_cast<std::int32_t>(LoadU32(f, 0));
  o.type = TwoChars(f, 4);
  o.schemaId = LoadU16(f, 8);
  o.status = LoadU32(f, 12);
  o.parentId = static_cast<std::int32_t>(LoadU32(f, 24));
  o.name = ObjectName(r, names);
  o.systemOwned = o.type == "S " || (o.status & kShippedObject2000) != 0;
  return o;
}

std::optional<SecondaryFile> ParseFile(const CRecord& r) {
  if (!Fits(r, kFileMin)) return std::nullopt;
  const ByteView f = r.fixedData();
  SecondaryFile file;
  file.status = LoadU32(f, 0);
  file.fileId = LoadU16(f, 4);
  file.logicalName = FixedName(f, 6, 128);
  file.path = FixedName(f, 262, 260);
  return file;
}

std::optional<AllocationUnitRow> ParseAllocationUnit(const CRecord& r) {
  if (!Fits(r, kAllocationUnitMin)) return std::nullopt;
  const ByteView f = r.fixedData();
  AllocationUnitRow u;
  u.unitId = LoadU64(f, 0);
  u.type = f.At(8);
  u.ownerId = LoadU64(f, 9);
  u.status = LoadU32(f, 17);
  u.filegroup = LoadU16(f, 21);
  u.firstPage = LoadPageId(f, 23);
  u.rootPage = LoadPageId(f, 29);
  u.firstIamPage = LoadPageId(f, 35);
  return u;
}

std::optional<RowsetRow> ParseRowset(const CRecord& r) {
  if (!Fits(r, kRowsetMin)) return std::nullopt;
  const ByteView f = r.fixedData();
  RowsetRow s;
  s.rowsetId = LoadU64(f, 0);
  s.ownerType = f.At(8);
  s.objectId = static_cast<std::int32_t>(LoadU32(f, 9));
  s.indexId = static_cast<std::int32_t>(LoadU32(f, 13));
  s.partitionNumber = static_cast<std::int32_t>(LoadU32(f, 17));
  s.status = LoadU32(f, 21);
  s.filegroup = LoadU16(f, 25);
  s.rowCount = static_cast<std::int64_t>(LoadU64(f, 27));
  return s;
}

std::optional<ColumnRow> ParseColumn(const CRecord& r, NameCounter& names) {
  if (!Fits(r, kColumnMin) || r.recordType == kIndexRecord) return std::nullopt;
  const ByteView f = r.fixedData();
  ColumnRow c;
  c.objectId = static_cast<std::int32_t>(LoadU32(f, 0));
  c.number = static_cast<std::int16_t>(LoadU16(f, 4));
  c.columnId = static_cast<std::int32_t>(LoadU32(f, 6));
  c.systemType = f.At(10);
  c.userType = static_cast<std::int32_t>(LoadU32(f, 11));
  c.length = static_cast<std::int16_t>(LoadU16(f, 15));
  c.precision = f.At(17);
  c.scale = f.At(18);
  c.collationId = static_cast<std::int32_t>(LoadU32(f, 19));
  c.status = LoadU32(f, 23);
  c.maxInRowLength = static_cast<std::int16_t>(LoadU16(f, 27));
  c.defaultObjectId = static_cast<std::int32_t>(LoadU32(f, 33));
  c.ruleObjectId = static_cast<std::int32_t>(LoadU32(f, 37));
  c.name = ColumnName(r, names);
  // Identity columns keep seed and increment in their second variable value.
  constexpr std::uint32_t kIdentityStatus = 0x4;
  if ((c.status & kIdentityStatus) != 0 && r.values.size() >= 2) {
    c.identityText = IdentityText(r.ValueBytes(r.values[1]), c.systemType);
  }
  return c;
}

// syscolumns of SQL Server 2000.
std::optional<ColumnRow> ParseColumn2000(const CRecord& r, NameCounter& names) {
  if (!Fits(r, kColumn2000Min) || r.recordType == kIndexRecord) return std::nullopt;
  const ByteView f = r.fixedData();
  ColumnRow c;
  c.objectId = static_cast<std::int32_t>(LoadU32(f, 0));
  c.systemType = f.At(4);
  c.typeStatus = f.At(5);
  c.userType = LoadU16(f, 6);
  c.length = static_cast<std::int16_t>(LoadU16(f, 8));
  c.precision = f.At(10);
  c.scale = f.At(11);
  c.columnId = static_cast<std::int16_t>(LoadU16(f, 12));
  c.offsetInRow = static_cast<std::int16_t>(LoadU16(f, 14));
  c.bitPosition = f.At(16);
  c.status = LoadU16(f, 18);
  c.number = static_cast<std::int16_t>(LoadU16(f, 28));
  if (r.columnCount >= 21 && f.size() >= 38)
    c.collationId = static_cast<std::int32_t>(LoadU32(f, 34));
  c.name = ColumnName(r, names);
  // Identity columns are marked in colstat and keep seed and increment in
  // autoval, the second variable value.
  constexpr std::uint32_t kIdentityColumnStatus = 0x1;
  if ((c.status & kIdentityColumnStatus) != 0 && r.values.size() >= 2) {
    c.identityText = IdentityText(r.ValueBytes(r.values[1]), c.systemType);
  }
  return c;
}

std::optional<ScalarTypeRow> ParseScalarType(const CRecord& r) {
  if (!Fits(r, kScalarTypeMin)) return std::nullopt;
  const ByteView f = r.fixedData();
  ScalarTypeRow t;
  t.id = static_cast<std::int32_t>(LoadU32(f, 0));
  t.schemaId = static_cast<std::int32_t>(LoadU32(f, 4));
  t.systemType = f.At(8);
  t.length = static_cast<std::int16_t>(LoadU16(f, 9));
  t.precision = f.At(11);
  t.scale = f.At(12);
  t.collationId = static_cast<std::int32_t>(LoadU32(f, 13));
  t.status = LoadU32(f, 17);
  t.name = VariableText(r, 0).value_or("");
  return t;
}

// systypes of SQL Server 2000: xtype, status, xusertype, length, precision,
// scale, default, domain, owner.
std::optional<ScalarTypeRow> ParseType2000(const CRecord& r) {
  if (!Fits(r, kType2000Min)) return std::nullopt;
  const ByteView f = r.fixedData();
  ScalarTypeRow t;
  t.systemType = f.At(0);
  t.id = LoadU16(f, 2);
  t.length = static_cast<std::int16_t>(LoadU16(f, 4));
  t.precision = f.At(6);
  t.scale = f.At(7);
  t.schemaId = LoadU16(f, 16);
  t.name = VariableText(r, 0).value_or("");
  return t;
}

std::optional<RowsetColumnRow> ParseRowsetColumn(const CRecord& r) {
  if (!Fits(r, kRowsetColumnMin)) return std::nullopt;
  const ByteView f = r.fixedData();
  RowsetColumnRow c;
  c.rowsetId = LoadU64(f, 0);
  c.rowsetColumnId = static_cast<std::int32_t>(LoadU32(f, 8));
  c.partitionColumnId = static_cast<std::int32_t>(LoadU32(f, 12));
  c.status = LoadU32(f, 36);
  c.offset = static_cast<std::int32_t>(LoadU32(f, 40));
  c.nullBit = static_cast<std::int32_t>(LoadU32(f, 44));
  c.bitPosition = LoadU16(f, 48);
  return c;
}

std::optional<SingleReferenceRow> ParseSingleReference(const CRecord& r) {
  if (!Fits(r, 21)) return std::nullopt;
  const ByteView f = r.fixedData();
  SingleReferenceRow s;
  s.referenceClass = f.At(0);
  s.referencingId = static_cast<std::int32_t>(LoadU32(f, 1));
  s.referencingMinorId = static_cast<std::int32_t>(LoadU32(f, 5));
  s.referencedId = static_cast<std::int32_t>(LoadU32(f, 9));
  s.referencedMinorId = static_cast<std::int32_t>(LoadU32(f, 13));
  s.status = LoadU32(f, 17);
  return s;
}

std::optional<IndexRow> ParseIndex(const CRecord& r) {
  if (!Fits(r, kIndexMin)) return std::nullopt;
  const ByteView f = r.fixedData();
  IndexRow i;
  i.objectId = static_cast<std::int32_t>(LoadU32(f, 0));
  i.indexId = static_cast<std::int32_t>(LoadU32(f, 4));
  i.status = LoadU32(f, 8);
  i.indexType = f.At(17);
  i.rowsetId = LoadU64(f, 27);
  i.name = VariableText(r, 0).value_or("");
  return i;
}

std::optional<IndexColumnRow> ParseIndexColumn(const CRecord& r) {
  if (!Fits(r, kIndexColumnMin)) return std::nullopt;
  const ByteView f = r.fixedData();
  IndexColumnRow c;
  c.objectId = static_cast<std::int32_t>(LoadU32(f, 0));
  c.indexId = static_cast<std::int32_t>(LoadU32(f, 4));
  c.keyOrdinal = static_cast<std::int32_t>(LoadU32(f, 8));
  c.status = LoadU32(f, 12);
  c.columnId = static_cast<std::int32_t>(LoadU32(f, 16));
  c.property1 = f.At(20);
  c.property2 = f.At(21);
  return c;
}

std::optional<HobtColumnPart> ParseHobtColumn(const CRecord& r) {
  if (!Fits(r, 35)) return std::nullopt;
  const ByteView f = r.fixedData();
  return HobtColumnPart{LoadU64(f, 0), static_cast<std::int32_t>(LoadU32(f, 8)),
                        static_cast<std::uint32_t>(LoadU16(f, 27)) |
                            (static_cast<std::uint32_t>(LoadU16(f, 33)) << 16)};
}

std::optional<HobtColumnPart> ParseHobtColumnValue(const CRecord& r) {
  if (!Fits(r, 16)) return std::nullopt;
  const ByteView f = r.fixedData();
  return HobtColumnPart{LoadU64(f, 0), static_cast<std::int32_t>(LoadU32(f, 8)), LoadU32(f, 12)};
}

std::optional<Index2000> ParseIndex2000(const CRecord& r) {
  if (!Fits(r, kIndex2000Min)) return std::nullopt;
  const ByteView f = r.fixedData();
  Index2000 out;
  out.pages.objectId = static_cast<std::int32_t>(LoadU32(f, 0));
  out.pages.indexId = static_cast<std::int16_t>(LoadU16(f, 14));
  out.pages.firstPage = LoadPageId(f, 8);  // file id at 12, in the row itself
  out.pages.rootPage = LoadPageId(f, 16);
  out.pages.firstIamPage = LoadPageId(f, 64);
  const std::uint32_t status = LoadU32(f, 4);
  IndexRow& index = out.index;
  index.objectId = out.pages.objectId;
  index.indexId = out.pages.indexId;
  index.name = VariableText(r, 1).value_or("");
  const bool realIndex =
      index.indexId > 0 && index.indexId < 255 &&
      (status & (kHypothetical2000 | kAutoStatistics2000 | kStatistics2000)) == 0;
  if (realIndex) index.status |= kIsIndex;
  if ((status & kUnique2000) != 0) index.status |= kUniqueIndex;
  if ((status & kPrimaryKey2000) != 0) index.status |= kPrimaryKeyIndex;
  if ((status & kUniqueConstraint2000) != 0) index.status |= kUniqueConstraintIndex;
  // The key list: one 32-byte entry per key column, its column id at 16.
  const ByteView keys = r.values.empty() ? ByteView() : r.ValueBytes(r.values[0]);
  for (std::size_t k = 0; realIndex && (k + 1) * kKeyEntrySize <= keys.size(); ++k) {
    IndexColumnRow key;
    key.objectId = index.objectId;
    key.indexId = index.indexId;
    key.keyOrdinal = static_cast<std::int32_t>(k + 1);
    key.columnId = LoadU16(keys, k * kKeyEntrySize + 16);
    key.property1 = static_cast<std::uint8_t>(k + 1);
    out.keys.push_back(key);
  }
  return out;
}

// sysreferences of SQL Server 2000: constraint id, referencing table,
// referenced table, referenced index, key count, then the two column lists.
std::vector<ForeignKeyColumn> ParseReference2000(const CRecord& r) {
  std::vector<ForeignKeyColumn> columns;
  if (!Fits(r, kReference2000Min) || r.values.size() < 2) return columns;
  const ByteView f = r.fixedData();
  const ByteView from = r.ValueBytes(r.values[0]);
  const ByteView to = r.ValueBytes(r.values[1]);
  const std::uint16_t count = LoadU16(f, 14);
  for (std::size_t k = 0; k < count && 2 * k + 2 <= from.size() && 2 * k + 2 <= to.size(); ++k) {
    ForeignKeyColumn c;
    c.foreignKeyId = static_cast<std::int32_t>(LoadU32(f, 0));
    c.keyOrdinal = static_cast<std::int32_t>(k + 1);
    c.referencingObjectId = static_cast<std::int32_t>(LoadU32(f, 4));
    c.referencedObjectId = static_cast<std::int32_t>(LoadU32(f, 8));
    c.referencingColumnId = LoadU16(from, 2 * k);
    c.referencedColumnId = LoadU16(to, 2 * k);
    columns.push_back(c);
  }
  return columns;
}

// The class object table keeps its class byte at 0 and the id at 1; the
// name is the first variable column.
std::optional<SchemaRow> ParseSchema(const CRecord& r) {
  if (!Fits(r, kClassObjectMin)) return std::nullopt;
  const ByteView f = r.fixedData();
  if (f.At(0) != kSchemaClass) return std::nullopt;
  std::optional<std::string> name = VariableText(r, 0);
  if (!name || name->empty()) return std::nullopt;
  return SchemaRow{static_cast<std::int32_t>(LoadU32(f, 1)), std::move(*name)};
}

}  // namespace tessaril
