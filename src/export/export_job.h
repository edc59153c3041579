// Exporting a recovered database: every user table (or those named) read
// once, page by page, into a SQL script, a folder of CSV files or an SQLite
// file, with the keys, constraints and modules after the tables. Memory
// stays at one grid page of rows and the writer's buffers whatever the size
// of the tables; nothing appears under its final name unless the export
// completes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/events.h"
#include "base/result.h"
#include "base/stop_flag.h"
#include "session/page_read_ahead.h"
#include "session/scan_result.h"

namespace tessaril {

enum class ExportFormat { kSqlScript, kCsv, kSqlite };

struct ExportRequest {
  ExportFormat format = ExportFormat::kSqlScript;
  std::string destination;          // the script or SQLite file; the CSV folder
  std::string blobFolder;           // CSV: binary values as files here, when set
  std::vector<std::string> tables;  // names as users give them; empty: every user table
  bool schemaOnly = false;
  // Threads each table's pages are decoded on; 1 decodes on the export's own.
  unsigned readAheadThreads = DefaultReadAheadThreads();
};

struct ExportSummary {
  std::size_t tables = 0;
  std::uint64_t rows = 0;
  std::uint64_t deletedRows = 0;  // ghost and carved rows, in the tables of deleted rows
  // Values that do not read as their column's type, written as NULL, and
  // where the first of them are: "[dbo].[T] 1:205 slot 3, column C".
  std::uint64_t unreadableValues = 0;
  std::vector<std::string> unreadablePlaces;
  std::vector<std::string> skipped;  // tables that could not be read, with the reason
  // What the walks met of damage: "[dbo].[T]: 2 pages skipped: ...".
  std::vector<std::string> damage;
};

inline constexpr const char* kExportStoppedText = "The export was stopped; nothing was written.";

inline constexpr std::size_t kUnreadablePlacesKept = 20;

// Runs the export. Deleted rows are exported (to "T$deleted" tables) when
// the scan shows them. Progress goes to events: the range over the tables, a
// status line per table, the caption with the rows written so far after
// each page of rows, a log line per table with its row counts.
Result<ExportSummary> RunExport(const ScanSnapshot& scan, const ExportRequest& request,
                                ScanEvents& events, const StopFlag& stop);

}  // namespace tessaril
