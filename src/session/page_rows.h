// The rows one data page holds, as the table that owns the page renders
// them: the forensic view of a page beside its bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "session/scan_result.h"
#include "storage/page_header.h"
#include "values/row_context.h"

namespace tessaril {

// The object that owns a page: the table whose allocation unit the header
// names (the header's object id in SQL Server 2000 files). Nothing when no
// table of the catalog claims it.
std::optional<std::int32_t> FindPageOwner(const ScanResult& scan, const CPage_Header& header);

struct PageRows {
  std::string tableName;  // schema-qualified
  std::vector<ColumnDef> columns;
  std::vector<RenderedRow> rows;  // each with its slot and origin
};

// The rendered rows of a data page of a table, with the scan's reading
// options (ghost and carved rows when the scan shows them). Nothing when the
// page is no data page or no table owns it.
std::optional<PageRows> ReadRowsOfPage(const ScanSnapshot& scan, PageId page);

}  // namespace tessaril
