// One table of a data file, opened for reading its rows: the file, its
// catalog, the table's layout and the collations its text is decoded with.
#pragma once

#include <memory>
#include <string>

#include "catalog/catalog_builder.h"
#include "catalog/table_layout.h"
#include "cli/arguments.h"
#include "cli/terminal_events.h"
#include "values/row_renderer.h"

namespace tessaril::cli {

// Warns on stderr when the file holds fewer pages than its file header counts.
void WarnIfCutShort(const DatabaseFile& db);

// Opens a data file; a failure is reported on stderr and gives null. A file
// cut short is opened with a warning.
std::unique_ptr<DatabaseFile> OpenDataFile(const std::string& path,
                                           InventoryMode mode = InventoryMode::kMap);

// A data file with its catalog rebuilt; db is null when the file could not
// be opened (the failure was reported on stderr).
struct OpenedCatalog {
  std::unique_ptr<DatabaseFile> db;
  Catalog catalog;
};
OpenedCatalog OpenCatalog(const std::string& path, const RecordOptions& options = {});

struct OpenedTable {
  std::unique_ptr<DatabaseFile> db;
  Catalog catalog;
  TableLayout layout;
  CollationTable collations;
  CollationResult database;
  RecordOptions options;

  // A walk over the table's pages; the table must outlive it.
  RowContext MakeContext() const;
};

// The record options of --deleted and --carve.
RecordOptions RowRecordOptions(const Arguments& args);

// Opens the file named by the first positional argument and lays out the
// table the second names (a user table, else a system table), with the
// record options of --deleted and --carve. Failures are reported on stderr;
// the result is then null and status holds the exit status.
std::unique_ptr<OpenedTable> OpenTable(const Arguments& args, int& status);

}  // namespace tessaril::cli
