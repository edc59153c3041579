#include "cli/opened_table.h"

#include <iostream>

#include "cli/commands.h"
#include "cli/terminal_events.h"
#include "storage/boot_page.h"
#include "storage/inventory_cache.h"

namespace tessaril::cli {

RecordOptions RowRecordOptions(const Arguments& args) {
  RecordOptions options;
  options.showAdvancedDeletedRecords = args.Has("--carve");
  options.showDeletedRecords = args.Has("--deleted") || options.showAdvancedDeletedRecords;
  return options;
}

void WarnIfCutShort(const DatabaseFile& db) {
  if (const std::uint64_t missing = db.missingPageCount(); missing > 0) {
    std::cerr << "tessaril-cli: warning: the file is shorter than its header says: " << missing
              << " of " << db.fileHeader()->sizeInPages << " pages are missing\n";
  }
}

std::string InventoryCacheFolderOf(const Arguments& args) {
  if (args.Has(kNoCacheOption)) return {};
  return DefaultInventoryCacheFolder().value_or("");
}

std::unique_ptr<DatabaseFile> OpenDataFile(const std::string& path, InventoryMode mode,
                                           const std::string& cacheFolder) {
  TerminalEvents progress(false);
  StopFlag stop;
  Result<std::unique_ptr<DatabaseFile>> db =
      DatabaseFile::Open(path, false, progress, stop, mode, cacheFolder);
  if (!db) {
    progress.Fatal(db.failure().message, db.failure().detail);
    return nullptr;
  }
  WarnIfCutShort(**db);
  return std::move(db).value();
}

ScanSnapshot OpenDatabaseOf(const Arguments& args) {
  OpenRequest request;
  request.path = args.positional.at(0);
  request.settings.advancedMode = args.Has("--advanced");
  request.settings.carveDeletedRecords = args.Has("--carve");
  request.settings.showDeletedRecords = args.Has("--deleted") || args.Has("--carve");
  request.settings.schemaFrom = args.Value(kSchemaFromOption).value_or("");
  request.collations = std::make_shared<const CollationTable>(CollationTable::LoadBesideProgram());
  request.inventoryCacheFolder = InventoryCacheFolderOf(args);
  TerminalEvents events(false);
  StopFlag stop;
  Result<std::shared_ptr<ScanResult>> opened = OpenDatabase(request, events, stop);
  if (!opened) return nullptr;  // the failure was told to events
  WarnIfCutShort(*(*opened)->db);
  return std::move(opened).value();
}

std::unique_ptr<TableReader> OpenTableOf(const ScanSnapshot& scan, const std::string& name,
                                         const StopFlag* stop) {
  const Result<const CatalogObject*> object =
      FindObjectByName(scan->catalog, name, NameScope::kTables);
  if (!object) {
    // A view, procedure or other module of the name: say which command shows it.
    const Result<const CatalogObject*> other =
        FindObjectByName(scan->catalog, name, NameScope::kObjects);
    if (other && !IsTableType((*other)->type)) {
      PrintError(QualifiedName(scan->catalog, **other) + " is a " + ObjectKindName((*other)->type) +
                 ", not a table: 'tessaril-cli definition " + scan->db->path() + " " + name +
                 "' shows its definition");
    } else {
      PrintError(object.error());
    }
    return nullptr;
  }
  Result<std::unique_ptr<TableReader>> table = TableReader::Open(scan, (*object)->id, stop);
  if (!table) {
    PrintError(table.error());
    return nullptr;
  }
  return std::move(table).value();
}

}  // namespace tessaril::cli
