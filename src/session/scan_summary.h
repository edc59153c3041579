// What a finished scan found, in numbers: the closing summary of a scan on
// the command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/stop_flag.h"
#include "session/scan_result.h"

namespace tessaril {

struct TableRowCount {
  std::string name;  // schema-qualified
  std::uint64_t rows = 0;
  std::uint64_t deletedRows = 0;  // ghost and carved rows among them
};

struct ScanSummary {
  std::size_t userTables = 0;
  // The primary file: its whole pages, those the mapping pass read, those it
  // did not reach (a stopped scan), all-zero pages, and pages whose header
  // names no known page type (damaged or foreign data).
  std::uint64_t primaryPages = 0;
  std::uint64_t pagesRead = 0;
  std::uint64_t pagesSkipped = 0;
  std::uint64_t zeroPages = 0;
  std::uint64_t unknownTypePages = 0;
  bool fromSnapshot = false;  // the inventory came from a snapshot: no page was mapped
  std::size_t secondaryFiles = 0;
  std::uint64_t secondaryPages = 0;
  // Filled when rows were counted: every user table walked to its end.
  bool rowsCounted = false;
  bool rowsCountStopped = false;  // a stop request ended the count early
  std::vector<TableRowCount> tables;
  std::uint64_t rows = 0;
  std::uint64_t deletedRows = 0;
};

// The numbers of the scan; with countRows, every user table is walked with
// the scan's own reading options (deleted rows only when the scan shows
// them). stop, when given, ends the count early.
ScanSummary SummariseScan(const ScanSnapshot& scan, bool countRows, const StopFlag* stop = nullptr);

}  // namespace tessaril
