// Rows of the base system tables, each cut from the fixed part of a record
// (and, where the table has one, its name column).
#pragma once

#include <cstdint>
#include <string>

#include "storage/page_id.h"

namespace tessaril {

// Object ids of the base system tables.
enum SystemTableId : std::int32_t {
  kSysObjects2000 = 1,
  kSysIndexes2000 = 2,
  kSysColumns2000 = 3,
  kSysRowsetColumns = 3,  // 2008 and later; 2000 keeps syscolumns under the same id
  kSysHobtColumnValues = 4,
  kSysTypes2000 = 4,
  kSysRowsets = 5,
  kSysComments2000 = 6,
  kSysAllocUnits = 7,
  kSysFiles = 8,
  kSysHobtColumns = 13,
  kSysReferences2000 = 14,
  kSysObjects = 34,
  kSysColPars = 41,
  kSysScalarTypes = 50,
  kSysIdxStats = 54,
  kSysIsCols = 55,
  kSysClsObjs = 64,  // class objects: schemas among them
  kSysObjValues = 60,
  kSysSingleObjRefs = 74,
  kSysAllocUnits2000 = 99,
  kSysColParsMore = 2187,
};

// The name of the base system table with this object id, in the 2000 layout
// or the 2005 and later one; "" for an id the catalog does not read.
const char* SystemTableName(std::int32_t objectId, bool sql2000Layout);

// Schema ids of the schemas every database has (2005 and later); SQL
// Server itself owns sys and INFORMATION_SCHEMA. In 2000 files the owner id
// of dbo is 1 as well.
inline constexpr std::int32_t kDboSchemaId = 1;
inline constexpr std::int32_t kGuestSchemaId = 2;
inline constexpr std::int32_t kInformationSchemaId = 3;
inline constexpr std::int32_t kSysSchemaId = 4;

// A row of the class object table that names a schema.
struct SchemaRow {
  std::int32_t id = 0;
  std::string name;
};

// One row of the object table.
struct CatalogObject {
  std::int32_t id = 0;
  std::string name;
  std::int32_t schemaId = 0;
  std::uint8_t schemaClass = 0;
  std::uint32_t status = 0;
  std::string type;  // two characters, trailing blank kept ("U ")
  std::int32_t parentId = 0;
  std::uint8_t parentClass = 0;
  std::int32_t internalProperty = 0;
  // An object SQL Server itself owns: a negative id, the sys or
  // INFORMATION_SCHEMA schema (2005 and later), a system table or an object
  // flagged as shipped with the server (2000).
  bool systemOwned = false;
  // A table the catalog lost its row of, or a lost allocation unit: named
  // "LostAndFound_<id>" and shown in a folder of its own.
  bool lostAndFound = false;
};

// Allocation unit types.
inline constexpr std::uint8_t kInRowDataUnit = 1;

struct AllocationUnitRow {
  std::uint64_t unitId = 0;
  std::uint8_t type = 0;  // 1 in-row data, 2 large objects, 3 row overflow
  std::uint64_t ownerId = 0;
  std::uint32_t status = 0;
  std::uint16_t filegroup = 0;
  PageId firstPage;
  PageId rootPage;
  PageId firstIamPage;
};

struct RowsetRow {
  std::uint64_t rowsetId = 0;
  std::uint8_t ownerType = 0;
  std::int32_t objectId = 0;
  std::int32_t indexId = 0;
  std::int32_t partitionNumber = 0;
  std::uint32_t status = 0;
  std::uint16_t filegroup = 0;
  std::int64_t rowCount = 0;
};

struct ScalarTypeRow {
  std::int32_t id = 0;
  std::int32_t schemaId = 0;
  std::string name;
  std::uint8_t systemType = 0;
  std::int16_t length = 0;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  std::int32_t collationId = 0;
  std::uint32_t status = 0;
};

// Rowset column status bit (sysrscols): the column was dropped.
inline constexpr std::uint32_t kDroppedRowsetColumn = 0x2;

struct RowsetColumnRow {
  std::uint64_t rowsetId = 0;
  std::int32_t rowsetColumnId = 0;
  std::int32_t partitionColumnId = 0;  // hbcolid
  std::uint32_t status = 0;
  std::int32_t offset = 0;
  std::int32_t nullBit = 0;
  std::uint16_t bitPosition = 0;
};

struct SingleReferenceRow {
  std::uint8_t referenceClass = 0;
  std::int32_t referencingId = 0;
  std::int32_t referencingMinorId = 0;
  std::int32_t referencedId = 0;
  std::int32_t referencedMinorId = 0;
  std::uint32_t status = 0;
};

// Index status bits as the catalog keeps them for both layouts (sysidxstats;
// SQL Server 2000 rows are translated).
inline constexpr std::uint32_t kIsIndex = 0x1;
inline constexpr std::uint32_t kUniqueIndex = 0x08;
inline constexpr std::uint32_t kPrimaryKeyIndex = 0x20;
inline constexpr std::uint32_t kUniqueConstraintIndex = 0x40;

struct IndexRow {
  std::int32_t objectId = 0;
  std::int32_t indexId = 0;
  std::string name;
  std::uint32_t status = 0;
  std::uint8_t indexType = 0;
  std::uint64_t rowsetId = 0;
};

struct IndexColumnRow {
  std::int32_t objectId = 0;
  std::int32_t indexId = 0;
  std::int32_t keyOrdinal = 0;
  std::uint32_t status = 0;
  std::int32_t columnId = 0;
  std::uint8_t property1 = 0;
  std::uint8_t property2 = 0;
};

// The 2005 rowset column rows: a hobt column (object id 13) completed with
// the value of the object id 4 table for the same rowset and column.
struct HobtColumnRow {
  std::uint64_t rowsetId = 0;
  std::int32_t columnId = 0;
  std::uint32_t offsetWord = 0;  // low 16 bits: offset; high 16 bits: null bit
  std::int32_t completedValue = 0;
};

// A 2000 index row (sysindexes) of a table's heap or clustered index.
struct Index2000Row {
  std::int32_t objectId = 0;
  std::int16_t indexId = 0;
  PageId firstPage;
  PageId firstIamPage;
  PageId rootPage;
};

}  // namespace tessaril
