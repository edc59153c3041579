// What a scan built, published as one immutable snapshot: the opened files,
// the catalog and the database's version and collation. Table views, pagers,
// exports and window models keep the snapshot they started from, so a new
// Open or a fatal error never leaves them pointing at freed memory.
#pragma once

#include <memory>
#include <string>

#include "base/events.h"
#include "base/output_file.h"
#include "base/result.h"
#include "base/stop_flag.h"
#include "catalog/catalog.h"
#include "storage/database_file.h"
#include "values/collation_lookup.h"
#include "values/collation_table.h"
#include "values/value_decoder.h"

namespace tessaril {

// How a scan reads the file: the options of the scan that chose them.
struct ReadSettings {
  bool advancedMode = false;         // the collected page lists, not the tables' own chains
  bool showDeletedRecords = false;   // ghost records, and rows of pages no longer allocated
  bool carveDeletedRecords = false;  // also records carved from free space
  CollationChoice collation;         // the boot page's collation, or the user's choice
  // Another copy of the database or its schema script: tables whose catalog
  // rows are lost take their layouts and names from it. Empty: none.
  std::string schemaFrom;
};

struct ScanResult {
  std::shared_ptr<const DatabaseFile> db;
  Catalog catalog;
  std::shared_ptr<const CollationTable> collations;
  ReadSettings settings;
  // From the boot page, when it could be read.
  bool bootPageRead = false;
  bool unsupportedPageSize = false;  // 2 KB pages: nothing else can be read
  std::string versionName;
  CollationResult collation;
  // The database name, or "RepairDataBase".
  std::string rootName;
  // The scan's data files and the files beside them: never written.
  ProtectedFiles protectedFiles;

  // Options of a walk over this scan's records that polls stop (may be null).
  RecordOptions Records(const StopFlag* stop) const;
  TextDecoding Text() const { return TextDecoding(collations.get(), collation); }
};
using ScanSnapshot = std::shared_ptr<const ScanResult>;

// What opening a database takes.
struct OpenRequest {
  std::string path;          // the primary data file
  std::string snapshotPath;  // when set, the page inventory comes from this snapshot
  // When set, the page inventory is kept in this folder between opens (see
  // storage/inventory_cache.h); unused with a snapshot.
  std::string inventoryCacheFolder;
  ReadSettings settings;
  std::shared_ptr<const CollationTable> collations;
};

// Opens the data file (or its snapshot), maps its pages and rebuilds the
// catalog from the base tables: the first half of a scan, and all that the
// commands reading a table need. Failures are the page store's, reported to
// events as Fatal as well.
Result<std::shared_ptr<ScanResult>> OpenDatabase(const OpenRequest& request, ScanEvents& events,
                                                 StopFlag& stop);

// The protected files of an opened database: its primary and secondary data
// files, and the data and log files beside them.
ProtectedFiles ProtectedFilesOf(const DatabaseFile& db);

}  // namespace tessaril
