// What the record grid shows of a table: which layout columns get a grid
// column, and, after a page load, the label and the state of the two page
// buttons. The shells draw; these decide.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "catalog/table_layout.h"
#include "session/record_pager.h"

namespace tessaril {

// The layout columns that get a grid column, in layout order: every column
// but those without storage, which show only for the SQL Server 2000 layout.
std::vector<std::size_t> GridColumns(const TableLayout& layout, bool sql2000Layout);

// A page of rows as the grid shows it.
struct PageView {
  GridPage page;
  std::string label;  // "Page2 - [1000](1001-2000) Records"
  bool nextEnabled = false;
  bool previousEnabled = false;
};

// The view of a page the pager has just loaded.
PageView ViewOfPage(const RecordPager& pager, GridPage page);

}  // namespace tessaril
