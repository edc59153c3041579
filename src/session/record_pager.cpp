#include "session/record_pager.h"

#include <cstdio>

#include "catalog/table_pages.h"
#include "storage/allocation_map.h"

namespace tessaril {
namespace {

bool AllEmpty(const RenderedRow& row) {
  for (const std::string& v : row.values) {
    if (!v.empty() && v != kNullText) return false;
  }
  return true;
}

}  // namespace

const char* PageStrategyName(PageStrategy strategy) {
  switch (strategy) {
    case PageStrategy::kIamWalk:
      return "IAM walk";
    case PageStrategy::kPageChain:
      return "page chain";
    case PageStrategy::kChain2000:
      return "SQL Server 2000 page chain";
    default:
      return "collected page list";
  }
}

RecordPager::RecordPager(const Catalog& catalog, RowContext& context, bool advancedMode)
    : catalog_(catalog),
      context_(context),
      advancedMode_(advancedMode),
      pageCounts_(PageCountsOf(context.db)) {}

bool RecordPager::InsideItsFile(PageId page) const {
  if (page.pageNumber <= 0) return false;
  const auto file = pageCounts_.find(page.fileId == 0 ? 1 : page.fileId);
  return file != pageCounts_.end() && static_cast<std::uint64_t>(page.pageNumber) < file->second;
}

// Every IAM page of the chain (a repeated one ends it): its single pages that
// lie inside their own file, then the pages of its allocated extents.
void RecordPager::ListIamChain(PageId iam, std::set<PageId>& seenIam) {
  while (InsideItsFile(iam) && seenIam.insert(iam).second && !context_.options.stopRequested()) {
    const std::optional<HeaderedPage> page = context_.db.ReadPage(iam);
    if (!page || page->header.pageType != kIamPageType) return;
    const IamPage map(ByteView(page->bytes.data(), page->bytes.size()));
    for (const PageId& single : map.SinglePages()) {
      if (InsideItsFile(single)) pageList_.push_back(single);
    }
    for (const Extent& extent : map.Extents(pageCounts_)) {
      for (const PageId& p : extent.Pages()) pageList_.push_back(p);
    }
    iam = page->header.nextPage;
  }
}

// The start page and its successors by next-page link; a repeated page ends
// the chain.
void RecordPager::ListPageChain(PageId page) {
  std::set<PageId> visited;
  while (InsideItsFile(page) && visited.insert(page).second && !context_.options.stopRequested()) {
    pageList_.push_back(page);
    const std::optional<CPage_Header> header = context_.db.ReadPageHeader(page);
    if (!header || header->pageType != kDataPageType) return;
    page = header->nextPage;
  }
}

void RecordPager::ListCollected() {
  strategy_ = PageStrategy::kCollectedList;
  pageList_.clear();
  for (const PageId& p : context_.layout.pages) {
    if (p.fileId != 0 && p.pageNumber != 0) pageList_.push_back(p);
  }
}

void RecordPager::ChooseAndList() {
  pageList_.clear();
  const TableLayout& layout = context_.layout;
  if (advancedMode_) return ListCollected();
  if (catalog_.sql2000Layout) {
    const auto index = catalog_.indexes2000.find(layout.object.id);
    if (index != catalog_.indexes2000.end() && InsideItsFile(index->second.firstPage)) {
      strategy_ = PageStrategy::kChain2000;
      ListPageChain(index->second.firstPage);
      if (pageList_.empty()) ListCollected();
      return;
    }
    std::set<PageId> seen;
    strategy_ = PageStrategy::kIamWalk;
    for (const auto& [unit, pages] : context_.db.inventory().iamPages) {
      if (UnitObjectId(unit) != static_cast<std::uint32_t>(layout.object.id) ||
          UnitIndexId(unit) > 1)
        continue;
      for (const PageEntry& e : pages) ListIamChain(e.id(), seen);
    }
    if (pageList_.empty()) ListCollected();
    return;
  }
  // Every partition of the heap or clustered index, in partition order.
  std::vector<AllocationUnitRow> units;
  for (const RowsetRow& rowset : layout.dataRowsets) {
    for (const AllocationUnitRow& u : catalog_.allocationUnits) {
      if (u.ownerId == rowset.rowsetId && u.type == kInRowDataUnit) units.push_back(u);
    }
  }
  if (units.empty()) units.push_back(layout.allocationUnit);
  const bool heap = layout.rowset.indexId == 0;
  std::set<PageId> seenIam;
  for (AllocationUnitRow unit : units) {
    unit.firstPage = FirstPageOfUnit(context_.db, unit);
    if (unit.firstIamPage.pageNumber <= 0) return ListCollected();
    const std::size_t before = pageList_.size();
    const std::optional<CPage_Header> first = context_.db.ReadPageHeader(unit.firstPage);
    const bool leafDataPage = first && first->pageType == kDataPageType && first->level == 0;
    if (!heap && InsideItsFile(unit.firstPage) && leafDataPage) {
      strategy_ = PageStrategy::kPageChain;
      ListPageChain(unit.firstPage);
    }
    if (pageList_.size() == before) {
      strategy_ = PageStrategy::kIamWalk;
      ListIamChain(unit.firstIamPage, seenIam);
    }
    if (pageList_.size() == before && heap) {
      strategy_ = PageStrategy::kPageChain;
      ListPageChain(unit.firstPage);
    }
  }
  if (pageList_.empty()) ListCollected();
}

GridPage RecordPager::Load(PagePosition start, std::optional<PagePosition>& stop, bool logRows) {
  GridPage grid;
  stop.reset();
  for (auto p = static_cast<std::size_t>(start.page); p < pageList_.size(); ++p) {
    if (context_.options.stopRequested()) break;
    std::vector<RenderedRow> rows = ReadPageRows(pageList_[p], context_);
    const std::size_t firstRecord =
        p == static_cast<std::size_t>(start.page) ? static_cast<std::size_t>(start.record) : 0;
    for (std::size_t r = firstRecord; r < rows.size(); ++r) {
      if (grid.rowsCounted == static_cast<std::int64_t>(kRowsPerGridPage)) {
        stop = PagePosition{static_cast<std::int64_t>(p), static_cast<std::int64_t>(r)};
        return grid;
      }
      if (rows[r].values.empty()) continue;
      ++grid.rowsCounted;
      // A row with nothing in it is left out only when it was carved from
      // free space; a real row of NULLs and empty strings is shown.
      if (rows[r].carved && AllEmpty(rows[r])) continue;
      grid.rows.push_back(std::move(rows[r]));
      if (report_ != nullptr) {
        const std::string inserted = RowInsertedText(static_cast<std::int64_t>(grid.rows.size()));
        report_->Caption(inserted);
        if (logRows) report_->LogFile(inserted);
      }
    }
  }
  return grid;
}

GridPage RecordPager::First() {
  ChooseAndList();
  positions_.assign(1, PagePosition{});
  GridPage grid = Load(PagePosition{}, continuation_, false);
  pageNumber_ = 1;
  first_ = 0;
  last_ = grid.rowsCounted;
  ReportEnd(grid);
  return grid;
}

void RecordPager::ReportEnd(const GridPage& first) {
  if (first.rowsCounted == 0) return;
  const std::string message = EndMessage(first);
  Report().Caption(message);
  if (strategy_ == PageStrategy::kPageChain || strategy_ == PageStrategy::kChain2000) {
    Report().LogPane(message);
  }
  Report().LogFile(message);
}

void RecordPager::ReportCaption() {
  const std::string caption = CaptionText();
  Report().Caption(caption);
  Report().LogFile(caption);
}

GridPage RecordPager::Next() {
  if (!continuation_) return {};
  const PagePosition start = *continuation_;
  positions_.push_back(start);
  GridPage grid = Load(start, continuation_, true);
  ++pageNumber_;
  first_ = last_;
  last_ = first_ + grid.rowsCounted;
  ReportCaption();
  return grid;
}

GridPage RecordPager::Previous() {
  if (pageNumber_ <= 1 || positions_.size() < 2) return {};
  const PagePosition shown = positions_.back();
  positions_.pop_back();
  std::optional<PagePosition> ignored;
  GridPage grid = Load(positions_.back(), ignored, true);
  continuation_ = shown;
  --pageNumber_;
  first_ = pageNumber_ == 1 ? 0 : first_ - static_cast<std::int64_t>(kRowsPerGridPage);
  last_ = first_ + grid.rowsCounted;
  ReportCaption();
  return grid;
}

std::string RecordPager::PageLabel(std::int64_t rowsShown) const {
  char text[96];
  std::snprintf(text, sizeof text, "%s%d - [%lld](%lld-%lld) Records", "Page", pageNumber_,
                static_cast<long long>(rowsShown), static_cast<long long>(first_ + 1),
                static_cast<long long>(last_));
  return text;
}

std::string RecordPager::EndMessage(const GridPage& first) const {
  if (strategy_ == PageStrategy::kPageChain) return std::to_string(first.rows.size());
  return "0 rows to " + std::to_string(first.rowsCounted);
}

std::string RecordPager::RowInsertedText(std::int64_t gridRow) {
  return " row " + std::to_string(gridRow) + " inserted";
}

std::string RecordPager::CaptionText() const {
  char text[64];
  std::snprintf(text, sizeof text, "%lld rows to %lld", static_cast<long long>(first_),
                static_cast<long long>(last_));
  return text;
}

}  // namespace tessaril
