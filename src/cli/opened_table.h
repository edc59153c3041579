// Opening what a command reads: a data file alone (the page commands), or a
// database as a scan reads it, and one of its tables through the session's
// table reader. Failures are reported on stderr; the results are then null.
#pragma once

#include <memory>
#include <string>

#include "cli/arguments.h"
#include "session/scan_result.h"
#include "session/table_reader.h"
#include "storage/database_file.h"

namespace tessaril::cli {

// Warns on stderr when the file holds fewer pages than its file header counts.
void WarnIfCutShort(const DatabaseFile& db);

// Every command that opens a file takes it: the page inventory is then
// mapped afresh and not kept.
inline constexpr const char* kNoCacheOption = "--no-cache";

// Commands that read tables take it: tables whose catalog rows are lost are
// laid out and named from another copy of the database or its script.
inline constexpr const char* kSchemaFromOption = "--schema-from";

// Where the inventory of a file is kept between commands: the user's cache
// folder, or "" (none) with --no-cache or without a home folder.
std::string InventoryCacheFolderOf(const Arguments& args);

// Opens a data file; a failure is reported on stderr and gives null. A file
// cut short is opened with a warning.
std::unique_ptr<DatabaseFile> OpenDataFile(const std::string& path,
                                           InventoryMode mode = InventoryMode::kMap,
                                           const std::string& cacheFolder = {});

// The record options of --deleted and --carve.
RecordOptions RowRecordOptions(const Arguments& args);

// The database of the first positional argument, read with the options of
// --advanced, --deleted and --carve (those the command knows) and the
// collation table beside the program.
ScanSnapshot OpenDatabaseOf(const Arguments& args);

// The table the user named (see FindObjectByName), laid out for reading.
std::unique_ptr<TableReader> OpenTableOf(const ScanSnapshot& scan, const std::string& name,
                                         const StopFlag* stop = nullptr);

}  // namespace tessaril::cli
