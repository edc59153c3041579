#include "session/grid_view.h"

namespace tessaril {

std::vector<std::size_t> GridColumns(const TableLayout& layout, bool sql2000Layout) {
  std::vector<std::size_t> shown;
  for (std::size_t i = 0; i < layout.columns.size(); ++i) {
    if (layout.columns[i].physicalOrdinal == kNoStorage && !sql2000Layout) continue;
    shown.push_back(i);
  }
  return shown;
}

PageView ViewOfPage(const RecordPager& pager, GridPage page) {
  PageView view;
  view.label = pager.PageLabel(static_cast<std::int64_t>(page.rows.size()));
  view.nextEnabled = pager.hasNext();
  view.previousEnabled = pager.hasPrevious();
  view.page = std::move(page);
  return view;
}

}  // namespace tessaril
