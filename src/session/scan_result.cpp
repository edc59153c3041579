#include "session/scan_result.h"

#include <algorithm>

#include "catalog/catalog_builder.h"
#include "session/schema_source.h"
#include "session/session_texts.h"
#include "storage/boot_page.h"

namespace tessaril {

RecordOptions ScanResult::Records(const StopFlag* stop) const {
  RecordOptions options;
  options.showDeletedRecords = settings.showDeletedRecords || settings.carveDeletedRecords;
  options.showAdvancedDeletedRecords = settings.carveDeletedRecords;
  options.stop = stop;
  return options;
}

namespace {

// Lays out the tables whose catalog rows are lost with the schema at path,
// and logs what it matched. The schema is read only when a table is lost.
Status MatchSchema(const std::string& path, const DatabaseFile& db, const RecordOptions& options,
                   Catalog& catalog, ScanEvents& events, StopFlag& stop) {
  const bool lost = std::any_of(catalog.objects.begin(), catalog.objects.end(),
                                [](const CatalogObject& o) { return o.lostAndFound; });
  if (!lost) {
    events.LogLine("Schema: every table has its catalog rows; " + path + " is not needed");
    return {};
  }
  Result<std::vector<SchemaTable>> schema = LoadSchemaSource(path, catalog.sql2000Layout, stop);
  if (!schema) return schema.failure();
  for (const std::string& line : MatchLostUnits(catalog, db, *schema, options)) {
    events.LogLine(line);
  }
  return {};
}

}  // namespace

ProtectedFiles ProtectedFilesOf(const DatabaseFile& db) {
  ProtectedFiles files;
  files.AddDataFile(db.path());
  for (const auto& [id, file] : db.secondaryFiles()) {
    if (!file.path.empty()) files.AddDataFile(file.path);
  }
  return files;
}

Result<std::shared_ptr<ScanResult>> OpenDatabase(const OpenRequest& request, ScanEvents& events,
                                                 StopFlag& stop) {
  const bool advanced = request.settings.advancedMode;
  Result<std::unique_ptr<DatabaseFile>> opened =
      request.snapshotPath.empty()
          ? DatabaseFile::Open(request.path, advanced, events, stop, InventoryMode::kMap,
                               request.inventoryCacheFolder)
          : DatabaseFile::OpenFromSnapshot(request.path, advanced, request.snapshotPath, events,
                                           stop);
  if (!opened) {
    events.ProgressPos(0);
    events.Fatal(opened.failure().message, opened.failure().detail);
    return opened.failure();
  }
  auto result = std::make_shared<ScanResult>();
  result->settings = request.settings;
  result->collations =
      request.collations ? request.collations : std::make_shared<const CollationTable>();
  std::unique_ptr<DatabaseFile> db = std::move(opened).value();
  // Carving the base tables' pages would bring back old copies of live
  // catalog rows from their free space, and every table would then be walked
  // once per copy of its allocation unit: the catalog takes no carved rows.
  RecordOptions catalogOptions = result->Records(&stop);
  catalogOptions.showAdvancedDeletedRecords = false;
  result->catalog = BuildCatalog(*db, catalogOptions, events);
  if (!request.settings.schemaFrom.empty()) {
    if (const Status matched = MatchSchema(request.settings.schemaFrom, *db, catalogOptions,
                                           result->catalog, events, stop);
        !matched) {
      events.Fatal(matched.failure().message, matched.failure().detail);
      return matched.failure();
    }
  }
  if (const std::optional<CBootPage> boot = ReadBootPage(*db); boot) {
    result->bootPageRead = true;
    result->unsupportedPageSize = boot->unsupportedPageSize();
    result->versionName = boot->versionName();
    ApplyDatabaseCollation(*result->collations, boot->collationId, request.settings.collation,
                           result->collation);
  }
  result->rootName =
      result->catalog.databaseName.empty() ? kRepairDatabaseName : result->catalog.databaseName;
  result->protectedFiles = ProtectedFilesOf(*db);
  result->db = std::move(db);
  return result;
}

}  // namespace tessaril
