#include "catalog/catalog_builder.h"

#include <algorithm>
#include <set>

#include "catalog/foreign_keys.h"
#include "catalog/lost_units.h"
#include "catalog/row_parsers.h"
#include "records/record_page.h"
#include "storage/boot_page.h"

namespace tessaril {
namespace {

// Decodes every data page the inventory holds for a base table and hands
// each valid record to take. Only data pages hold rows: the records of the
// table's IAM and index pages would read as invented rows. Only live records
// count, whatever the walk shows of user tables: a deleted or carved row of a
// base table is an old definition (a dropped column, the rowset or allocation
// unit a rebuilt table had before) that would lay the table out wrongly.
template <class Take>
void ForEachRecord(const DatabaseFile& db, std::int32_t objectId, const RecordOptions& walk,
                   Take take) {
  RecordOptions options = walk;
  options.showDeletedRecords = false;
  options.showAdvancedDeletedRecords = false;
  const auto found = db.inventory().systemPages.find(objectId);
  if (found == db.inventory().systemPages.end()) return;
  for (const PageEntry& entry : found->second) {
    if (options.stopRequested()) return;
    if (entry.type() != kDataPageType) continue;
    std::optional<HeaderedPage> page = db.ReadPage(entry.id());
    if (!page) continue;
    const PrimaryRecordPage records(std::move(*page), &db, options);
    for (const auto& record : records.records()) {
      if (options.stopRequested()) return;
      if (record != nullptr && !record->isInvalid) take(*record);
    }
  }
}

template <class Row, class Parse>
void ReadTable(const DatabaseFile& db, std::int32_t objectId, const RecordOptions& options,
               std::vector<Row>& rows, Parse parse) {
  ForEachRecord(db, objectId, options, [&](const CRecord& r) {
    if (std::optional<Row> row = parse(r)) rows.push_back(std::move(*row));
  });
}

// Format versions from this on are no release's: a damaged boot page.
constexpr std::uint16_t kPastAnyFormatVersion = 1000;

bool WrittenBy2005OrLater(const DatabaseFile& db) {
  const std::optional<CBootPage> boot = ReadBootPage(db);
  return boot && boot->formatVersion >= kFirst2005FormatVersion &&
         boot->formatVersion < kPastAnyFormatVersion;
}

void ReadObjects(Catalog& catalog, const DatabaseFile& db, const RecordOptions& options,
                 NameCounter& names) {
  names.Reset();
  ReadTable(db, kSysObjects, options, catalog.objects,
            [&](const CRecord& r) { return ParseObject(r, names); });
  // A file whose 2005 object table gives nothing keeps the 2000 tables,
  // unless its boot page says a later release wrote it (its catalog is lost).
  catalog.sql2000Layout = catalog.objects.empty() && !WrittenBy2005OrLater(db);
  if (catalog.sql2000Layout) {
    names.Reset();
    ReadTable(db, kSysObjects2000, options, catalog.objects,
              [&](const CRecord& r) { return ParseObject2000(r, names); });
  }
  names.Reset();
}

void ReadColumns(Catalog& catalog, const DatabaseFile& db, const RecordOptions& options,
                 NameCounter& names) {
  names.Reset();
  if (catalog.sql2000Layout) {
    ReadTable(db, kSysColumns2000, options, catalog.columns,
              [&](const CRecord& r) { return ParseColumn2000(r, names); });
  } else {
    for (std::int32_t table : {kSysColPars, kSysColParsMore}) {
      ReadTable(db, table, options, catalog.columns,
                [&](const CRecord& r) { return ParseColumn(r, names); });
    }
  }
  names.Reset();
}

// Whether the object has rows to show: a rowset (2005 and later), or data
// pages filed under its id (2000).
bool HoldsData(const Catalog& catalog, const DatabaseFile& db, std::int32_t objectId) {
  if (!catalog.sql2000Layout) {
    return std::any_of(catalog.rowsets.begin(), catalog.rowsets.end(),
                       [&](const RowsetRow& r) { return r.objectId == objectId; });
  }
  return !db.inventory().DataPagesOfObject(objectId).empty();
}

// Objects the column rows name that the object table has no row for (it is
// lost, or its page is damaged): each is taken for a user table named
// "LostAndFound_<id>", when the object table is missing whole, or else when
// it holds data, so that no table whose own pages survive is lost with its
// name.
void ObjectsFromColumns(Catalog& catalog, const DatabaseFile& db, const RecordOptions& options) {
  const bool objectTableLost = catalog.objects.empty();
  std::set<std::int32_t> seen;
  for (const CatalogObject& object : catalog.objects) seen.insert(object.id);
  for (const ColumnRow& column : catalog.columns) {
    if (options.stopRequested()) return;
    if (!seen.insert(column.objectId).second) continue;
    if (!objectTableLost && !HoldsData(catalog, db, column.objectId)) continue;
    CatalogObject object;
    object.id = column.objectId;
    object.name = "LostAndFound_" + std::to_string(column.objectId);
    object.type = "U ";
    object.lostAndFound = true;
    catalog.objects.push_back(object);
  }
}

// SQL Server 2000 keeps indexes, their keys and the tables' first pages in
// sysindexes, and foreign keys in sysreferences.
void ReadIndexes2000(Catalog& catalog, const DatabaseFile& db, const RecordOptions& options) {
  ForEachRecord(db, kSysIndexes2000, options, [&](const CRecord& r) {
    std::optional<Index2000> row = ParseIndex2000(r);
    if (!row) return;
    if (row->pages.indexId == 1) catalog.indexes2000[row->pages.objectId] = row->pages;
    catalog.indexes.push_back(row->index);
    catalog.indexColumns.insert(catalog.indexColumns.end(), row->keys.begin(), row->keys.end());
  });
  ForEachRecord(db, kSysReferences2000, options, [&](const CRecord& r) {
    const std::vector<ForeignKeyColumn> columns = ParseReference2000(r);
    catalog.foreignKeyColumns.insert(catalog.foreignKeyColumns.end(), columns.begin(),
                                     columns.end());
  });
}

// 2005 keeps the placement of a rowset's columns in two tables: the hobt
// columns and the values that complete them.
void ReadHobtColumns(Catalog& catalog, const DatabaseFile& db, const RecordOptions& options) {
  std::vector<HobtColumnPart> columns;
  std::vector<HobtColumnPart> values;
  ReadTable(db, kSysHobtColumns, options, columns, ParseHobtColumn);
  ReadTable(db, kSysHobtColumnValues, options, values, ParseHobtColumnValue);
  for (const HobtColumnPart& c : columns) {
    HobtColumnRow row{c.rowsetId, c.columnId, c.value, 0};
    for (const HobtColumnPart& v : values) {
      if (v.rowsetId == c.rowsetId && v.columnId == c.columnId) {
        row.completedValue = static_cast<std::int32_t>(v.value);
        break;
      }
    }
    catalog.hobtColumns.push_back(row);
  }
}

}  // namespace

Catalog BuildCatalog(DatabaseFile& db, const RecordOptions& options, ProgressSink& progress) {
  Catalog catalog;
  if (const std::optional<CBootPage> boot = ReadBootPage(db))
    catalog.databaseName = boot->databaseName;
  if (!options.stopRequested()) {
    ReadTable(db, kSysFiles, options, catalog.files, ParseFile);
    const StopFlag noStop;
    db.DiscoverSecondaryFiles(catalog.files, progress,
                              options.stop != nullptr ? *options.stop : noStop);
  }
  NameCounter names;
  ReadObjects(catalog, db, options, names);
  if (!catalog.sql2000Layout) {
    if (!options.stopRequested())
      ReadTable(db, kSysAllocUnits, options, catalog.allocationUnits, ParseAllocationUnit);
    ReadTable(db, kSysRowsets, options, catalog.rowsets, ParseRowset);
  } else {
    ReadIndexes2000(catalog, db, options);
  }
  ReadColumns(catalog, db, options, names);
  ObjectsFromColumns(catalog, db, options);
  if (catalog.sql2000Layout) {
    ReadTable(db, kSysTypes2000, options, catalog.scalarTypes, ParseType2000);
  } else {
    ReadTable(db, kSysScalarTypes, options, catalog.scalarTypes, ParseScalarType);
    ReadTable(db, kSysRowsetColumns, options, catalog.rowsetColumns, ParseRowsetColumn);
    ReadTable(db, kSysSingleObjRefs, options, catalog.singleReferences, ParseSingleReference);
    ReadTable(db, kSysIdxStats, options, catalog.indexes, ParseIndex);
    ReadTable(db, kSysIsCols, options, catalog.indexColumns, ParseIndexColumn);
    ReadTable(db, kSysClsObjs, options, catalog.schemas, ParseSchema);
    if (!options.stopRequested()) ReadHobtColumns(catalog, db, options);
    DeriveForeignKeyColumns(catalog, options);
  }
  NameForeignKeyColumns(catalog);
  AddLostUnits(catalog, db, options);
  return catalog;
}

}  // namespace tessaril
