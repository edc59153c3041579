#include "cli/opened_table.h"

#include <iostream>

#include "cli/commands.h"
#include "storage/boot_page.h"

namespace tessaril::cli {

RowContext OpenedTable::MakeContext() const {
  return RowContext(layout, *db, TextDecoding(&collations, database), options,
                    catalog.sql2000Layout);
}

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

std::unique_ptr<DatabaseFile> OpenDataFile(const std::string& path, InventoryMode mode) {
  TerminalEvents progress(false);
  StopFlag stop;
  Result<std::unique_ptr<DatabaseFile>> db = DatabaseFile::Open(path, false, progress, stop, mode);
  if (!db) {
    progress.Fatal(db.failure().message, db.failure().detail);
    return nullptr;
  }
  WarnIfCutShort(**db);
  return std::move(db).value();
}

OpenedCatalog OpenCatalog(const std::string& path, const RecordOptions& options) {
  OpenedCatalog out;
  out.db = OpenDataFile(path);
  if (out.db) {
    NullProgress progress;
    out.catalog = BuildCatalog(*out.db, options, progress);
  }
  return out;
}

std::unique_ptr<OpenedTable> OpenTable(const Arguments& args, int& status) {
  const std::string& path = args.positional.at(0);
  const std::string& name = args.positional.at(1);
  const RecordOptions options = RowRecordOptions(args);
  OpenedCatalog opened = OpenCatalog(path, options);
  if (!opened.db) {
    status = kExitFailed;
    return nullptr;
  }
  auto table = std::make_unique<OpenedTable>();
  table->db = std::move(opened.db);
  table->options = options;
  table->catalog = std::move(opened.catalog);
  table->layout = BuildTableLayout(table->catalog, *table->db, name, "U ", {}, options);
  if (table->layout.object.id == -1 || !table->layout.layoutReady) {
    table->layout = BuildTableLayout(table->catalog, *table->db, name, "S ", {}, options);
  }
  if (!table->layout.layoutReady) {
    PrintError("no table named " + name);
    status = kExitFailed;
    return nullptr;
  }
  table->collations = CollationTable::LoadBesideProgram();
  if (const auto boot = ReadBootPage(*table->db)) {
    ApplyDatabaseCollation(table->collations, boot->collationId, {}, table->database);
  }
  status = kExitOk;
  return table;
}

}  // namespace tessaril::cli
