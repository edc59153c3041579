#include "session/scan_summary.h"

#include <algorithm>
#include <cstring>

#include "session/table_reader.h"
#include "storage/page_header.h"

namespace tessaril {
namespace {

bool IsUserTable(const CatalogObject& object) {
  return !object.systemOwned && object.type.rfind('U', 0) == 0;
}

void CountRows(const ScanSnapshot& scan, const StopFlag* stop, ScanSummary& summary) {
  summary.rowsCounted = true;
  ScanEvents quiet;
  for (const CatalogObject& object : scan->catalog.objects) {
    if (!IsUserTable(object)) continue;
    if (stop != nullptr && stop->requested()) {
      summary.rowsCountStopped = true;
      break;
    }
    TableRowCount count{QualifiedName(scan->catalog, object)};
    Result<std::unique_ptr<TableReader>> table = TableReader::Open(scan, object.id, stop);
    if (table) {
      (*table)->ForEachPage(quiet, [&](const GridPage& page) {
        for (const RenderedRow& row : page.rows) {
          ++count.rows;
          if (row.deleted()) ++count.deletedRows;
        }
        return true;
      });
    }
    summary.rows += count.rows;
    summary.deletedRows += count.deletedRows;
    summary.tables.push_back(std::move(count));
  }
  std::sort(summary.tables.begin(), summary.tables.end(),
            [](const TableRowCount& a, const TableRowCount& b) { return a.name < b.name; });
}

}  // namespace

ScanSummary SummariseScan(const ScanSnapshot& scan, bool countRows, const StopFlag* stop) {
  ScanSummary summary;
  if (!scan) return summary;
  const DatabaseFile& db = *scan->db;
  summary.userTables = static_cast<std::size_t>(
      std::count_if(scan->catalog.objects.begin(), scan->catalog.objects.end(), IsUserTable));
  summary.primaryPages = db.pageCount();
  summary.fromSnapshot = db.inventoryFromSnapshot();
  const auto& counts = db.pageTypeCounts();
  for (std::size_t type = 0; type < counts.size(); ++type) {
    summary.pagesRead += counts[type];
    if (std::strcmp(PageTypeName(static_cast<std::uint32_t>(type)), "unknown") == 0) {
      summary.unknownTypePages += counts[type];
    }
  }
  summary.zeroPages = counts[0];
  // The mapping pass also reads the page just past the last whole one.
  summary.pagesRead = std::min(summary.pagesRead, summary.primaryPages);
  if (!summary.fromSnapshot) summary.pagesSkipped = summary.primaryPages - summary.pagesRead;
  for (const auto& [fileId, file] : db.secondaryFiles()) {
    if (fileId <= 1) continue;
    ++summary.secondaryFiles;
    summary.secondaryPages += file.pageCount;
  }
  if (countRows) CountRows(scan, stop, summary);
  return summary;
}

}  // namespace tessaril
