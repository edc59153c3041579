#include "session/record_pager.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "catalog/table_pages.h"
#include "storage/allocation_map.h"

namespace tessaril {
namespace {

// " row 12 inserted", written into text; told for every row, so no string
// is made for it.
using RowCaption = std::array<char, 40>;
std::string_view RowInserted(RowCaption& text, std::int64_t gridRow) {
  const int n = std::snprintf(text.data(), text.size(), " row %lld inserted",
                              static_cast<long long>(gridRow));
  return {text.data(), n > 0 ? static_cast<std::size_t>(n) : 0};
}

bool AllEmpty(const RenderedRow& row) {
  for (const Cell& cell : row.cells) {
    if (!cell.null && !cell.text.empty()) return false;
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

// The first walk tried for a unit gives way to the other when the pages it
// listed (from index `from` on) give no row: an empty first page with a lost
// next link, or an IAM page naming only empty pages, must not hide the rows
// the other walk reaches. On a stop request the listed pages stay.
void RecordPager::KeepListedIfTheyGiveRows(std::size_t from) {
  for (std::size_t p = from; p < pageList_.size(); ++p) {
    if (context_.options.stopRequested()) return;
    for (const RenderedRow& row : ReadPageRows(pageList_[p], context_)) {
      if (!row.cells.empty()) return;
    }
  }
  pageList_.resize(from);
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
      KeepListedIfTheyGiveRows(before);
    }
    if (pageList_.size() == before) {
      strategy_ = PageStrategy::kIamWalk;
      ListIamChain(unit.firstIamPage, seenIam);
      if (heap) KeepListedIfTheyGiveRows(before);
    }
    if (pageList_.size() == before && heap) {
      strategy_ = PageStrategy::kPageChain;
      ListPageChain(unit.firstPage);
    }
  }
  if (pageList_.empty()) ListCollected();
}

GridPage RecordPager::Load(PagePosition start, std::optional<PagePosition>& stop, bool firstPage,
                           ScanEvents& events) {
  GridPage grid;
  stop.reset();
  if (firstPage) {
    const std::size_t range =
        strategy_ == PageStrategy::kCollectedList ? pageList_.size() : context_.layout.pages.size();
    if (strategy_ != PageStrategy::kChain2000) events.ProgressRange(0, range);
  } else {
    events.ProgressRange(0, kRowsPerGridPage);
  }
  std::size_t pagesRead = 0;
  for (auto p = static_cast<std::size_t>(start.page); p < pageList_.size(); ++p) {
    if (context_.options.stopRequested()) break;
    // The page a full grid page stopped in was rendered already: its rows
    // past the stop were kept for the next grid page.
    const bool held = heldFrom_ && p == static_cast<std::size_t>(start.page) && *heldFrom_ == start;
    std::vector<RenderedRow> rows =
        held ? std::move(heldRows_) : ReadPageRows(pageList_[p], context_);
    heldFrom_.reset();
    heldRows_.clear();
    const std::size_t firstRecord =
        p == static_cast<std::size_t>(start.page) ? static_cast<std::size_t>(start.record) : 0;
    for (std::size_t r = firstRecord; r < rows.size(); ++r) {
      if (context_.options.stopRequested()) break;
      if (grid.rowsCounted == static_cast<std::int64_t>(kRowsPerGridPage)) {
        stop = PagePosition{static_cast<std::int64_t>(p), static_cast<std::int64_t>(r)};
        heldFrom_ = stop;
        heldRows_ = std::move(rows);
        return grid;
      }
      if (rows[r].cells.empty()) continue;
      ++grid.rowsCounted;
      // A row with nothing in it is left out only when it was carved from
      // free space; a real row of NULLs and empty strings is shown.
      if (rows[r].origin == RowOrigin::kCarved && AllEmpty(rows[r])) continue;
      grid.rows.push_back(std::move(rows[r]));
      RowCaption caption;
      const std::string_view inserted =
          RowInserted(caption, static_cast<std::int64_t>(grid.rows.size()));
      events.CaptionText(inserted);
      if (!firstPage) {
        events.LogFileLine(inserted);
        events.ProgressPos(static_cast<std::uint64_t>(grid.rows.size()));
      }
    }
    if (firstPage) events.ProgressPos(++pagesRead);
  }
  return grid;
}

GridPage RecordPager::First(ScanEvents& events) {
  ChooseAndList();
  heldFrom_.reset();
  heldRows_.clear();
  positions_.assign(1, PagePosition{});
  GridPage grid = Load(PagePosition{}, continuation_, true, events);
  pageNumber_ = 1;
  first_ = 0;
  last_ = grid.rowsCounted;
  ReportEnd(grid, events);
  return grid;
}

void RecordPager::ReportEnd(const GridPage& first, ScanEvents& events) {
  if (first.rowsCounted == 0) return;
  const std::string message = EndMessage(first);
  events.CaptionText(message);
  if (strategy_ == PageStrategy::kPageChain || strategy_ == PageStrategy::kChain2000) {
    events.LogLine(message);
  } else {
    events.LogFileLine(message);
  }
}

void RecordPager::ReportCaption(ScanEvents& events) {
  const std::string caption = CaptionText();
  events.CaptionText(caption);
  events.LogFileLine(caption);
}

GridPage RecordPager::Next(ScanEvents& events) {
  if (!continuation_) return {};
  const PagePosition start = *continuation_;
  positions_.push_back(start);
  GridPage grid = Load(start, continuation_, false, events);
  ++pageNumber_;
  first_ = last_;
  last_ = first_ + grid.rowsCounted;
  ReportCaption(events);
  return grid;
}

GridPage RecordPager::Previous(ScanEvents& events) {
  if (pageNumber_ <= 1 || positions_.size() < 2) return {};
  const PagePosition shown = positions_.back();
  positions_.pop_back();
  std::optional<PagePosition> ignored;
  GridPage grid = Load(positions_.back(), ignored, false, events);
  continuation_ = shown;
  --pageNumber_;
  first_ = pageNumber_ == 1 ? 0 : first_ - static_cast<std::int64_t>(kRowsPerGridPage);
  last_ = first_ + grid.rowsCounted;
  ReportCaption(events);
  return grid;
}

std::string PageLabelText(int pageNumber, std::int64_t rowsShown, std::int64_t first,
                          std::int64_t last) {
  const std::int64_t shownFrom = first + (rowsShown > 0 || first > 0 ? 1 : 0);
  char text[96];
  std::snprintf(text, sizeof text, "%s%d - [%lld](%lld-%lld) Records", "Page", pageNumber,
                static_cast<long long>(rowsShown), static_cast<long long>(shownFrom),
                static_cast<long long>(last));
  return text;
}

std::string RecordPager::PageLabel(std::int64_t rowsShown) const {
  return PageLabelText(pageNumber_, rowsShown, first_, last_);
}

std::string RecordPager::EndMessage(const GridPage& first) const {
  if (strategy_ == PageStrategy::kPageChain) return std::to_string(first.rows.size());
  return "0 rows to " + std::to_string(first.rowsCounted);
}

std::string RecordPager::RowInsertedText(std::int64_t gridRow) {
  RowCaption caption;
  return std::string(RowInserted(caption, gridRow));
}

std::string RecordPager::CaptionText() const {
  char text[64];
  std::snprintf(text, sizeof text, "%lld rows to %lld", static_cast<long long>(first_),
                static_cast<long long>(last_));
  return text;
}

}  // namespace tessaril
