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

void RecordPager::LinkBroken(const char* walk, PageId at, const char* reason) {
  linksBroken_ = true;
  damage_.brokenLinks.push_back(std::string("the ") + walk + " breaks at " + ToString(at) + ": " +
                                reason);
}

// Every IAM page of the chain (a repeated one ends it): its single pages that
// lie inside their own file, then the pages of its allocated extents. An IAM
// page walked by an earlier chain ends this one without damage.
void RecordPager::ListIamChain(PageId iam, std::set<PageId>& seenIam) {
  std::set<PageId> chain;
  while (iam.pageNumber != 0 && !context_.options.stopRequested()) {  // page 0: the end
    if (!InsideItsFile(iam)) return LinkBroken("IAM chain", iam, "outside its file");
    if (!chain.insert(iam).second) return LinkBroken("IAM chain", iam, "it loops back");
    if (!seenIam.insert(iam).second) return;
    const std::optional<HeaderedPage> page = context_.db.ReadPage(iam);
    if (!page) return LinkBroken("IAM chain", iam, "unreadable");
    if (page->header.pageType != kIamPageType) {
      return LinkBroken("IAM chain", iam, "not an IAM page");
    }
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

// The start page and its successors by next-page link; a repeated page, a
// page of another table or one that is no data page ends the chain.
void RecordPager::ListPageChain(PageId page) {
  std::set<PageId> visited;
  while (page.pageNumber != 0 && !context_.options.stopRequested()) {  // page 0: the end
    if (!InsideItsFile(page)) return LinkBroken("page chain", page, "outside its file");
    if (!visited.insert(page).second) return LinkBroken("page chain", page, "it loops back");
    const std::optional<CPage_Header> header = context_.db.ReadPageHeader(page);
    if (!header) return LinkBroken("page chain", page, "unreadable");
    if (header->pageType != kDataPageType) {
      return LinkBroken("page chain", page, "not a data page");
    }
    if (!context_.db.inventory().NamesOneOf(*header, unitKeys_)) {
      return LinkBroken("page chain", page, "a page of another table");
    }
    pageList_.push_back(page);
    page = header->nextPage;
  }
}

// The allocation units the link walks are over, as the inventory files them.
// Pages written before a database was upgraded from SQL Server 2000 name the
// table's object id and index id 0 or 1 in their headers, as 2000 wrote them.
void RecordPager::ChooseUnitKeys() {
  const PageInventory& inventory = context_.db.inventory();
  unitKeys_.clear();
  const TableLayout& layout = context_.layout;
  const auto id = static_cast<std::uint32_t>(layout.object.id);
  unitKeys_.push_back(inventory.KeyOfUnit(AllocationUnitId(id, 0)));
  unitKeys_.push_back(inventory.KeyOfUnit(AllocationUnitId(id, 1)));
  if (catalog_.sql2000Layout) return;
  for (const RowsetRow& rowset : layout.dataRowsets) {
    for (const AllocationUnitRow& u : catalog_.allocationUnits) {
      if (u.ownerId == rowset.rowsetId && u.type == kInRowDataUnit) {
        unitKeys_.push_back(inventory.KeyOfUnit(u.unitId));
      }
    }
  }
  unitKeys_.push_back(inventory.KeyOfUnit(layout.allocationUnit.unitId));
}

// Pages of the table's units that the links did not list: the links lost
// them (a damaged page, a broken chain), so they are read as well.
void RecordPager::AddPagesTheLinksMissed() {
  const std::vector<PageId> missed =
      PagesTheLinksMissed(context_.db, unitKeys_, pageList_, context_.pfs, linksBroken_);
  pageList_.insert(pageList_.end(), missed.begin(), missed.end());
  damage_.pagesFromInventory = missed.size();
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
  unitKeys_.clear();
  linksBroken_ = false;
  damage_ = {};
  for (const PageId& p : context_.layout.pages) {
    if (p.fileId != 0 && p.pageNumber != 0) pageList_.push_back(p);
  }
}

void RecordPager::ChooseAndList() {
  pageList_.clear();
  linksBroken_ = false;
  damage_ = {};
  pagesJudged_.clear();
  if (advancedMode_ || context_.layout.pagesFromInventory) return ListCollected();
  ChooseUnitKeys();
  ListByLinks();
  if (pageList_.empty()) return ListCollected();
  if (strategy_ != PageStrategy::kCollectedList) AddPagesTheLinksMissed();
}

void RecordPager::ListByLinks() {
  const TableLayout& layout = context_.layout;
  if (catalog_.sql2000Layout) {
    const auto index = catalog_.indexes2000.find(layout.object.id);
    if (index != catalog_.indexes2000.end() && InsideItsFile(index->second.firstPage)) {
      strategy_ = PageStrategy::kChain2000;
      ListPageChain(index->second.firstPage);
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
}

GridPage RecordPager::Load(PagePosition start, std::optional<PagePosition>& stop, bool firstPage,
                           ScanEvents& events) {
  GridPage grid;
  grid.rows.reserve(kRowsPerGridPage);
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
    std::vector<RenderedRow> rows;
    if (held) {
      rows = std::move(heldRows_);
    } else {
      RenderedPage page = RenderPage(p);
      rows = std::move(page.rows);
      NotePageDamage(p, page.read, page.damagedRecords, events);
    }
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
      if (!rowReports_) continue;
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

void RecordPager::ReadAhead(unsigned threads) {
  readAhead_.reset();
  if (threads <= 1 || !continuation_) return;
  auto from = static_cast<std::size_t>(continuation_->page);
  if (heldFrom_ == continuation_) ++from;  // its rows are rendered already
  // A few pages are decoded sooner than workers start.
  constexpr std::size_t kFewestPagesReadAhead = 16;
  if (from + kFewestPagesReadAhead > pageList_.size()) return;
  readAhead_ = std::make_unique<PageReadAhead>(context_, pageList_, unitKeys_, from, threads);
}

RenderedPage RecordPager::RenderPage(std::size_t p) {
  if (readAhead_ && readAhead_->next() != p) readAhead_.reset();
  if (readAhead_) {
    RenderedPage page = readAhead_->Take();
    context_.damagedRecords += page.damagedRecords;
    return page;
  }
  return RenderListedPage(pageList_[p], context_, unitKeys_);
}

// A page of the list that gave no rows though the PFS does not call it
// free, and the records a page left out, are counted once each, whichever
// grid page reads them.
void RecordPager::NotePageDamage(std::size_t listIndex, const PageRead& read,
                                 std::size_t damagedRecords, ScanEvents& events) {
  if (!pagesJudged_.insert(listIndex).second) return;
  damage_.damagedRecords += damagedRecords;
  const PageRefusal refusal = read.refusal;
  if (read.protectionFailed && refusal == PageRefusal::kNone) {
    damage_.pagesFailingProtection.push_back(pageList_[listIndex]);
    events.LogLine("Page " + ToString(pageList_[listIndex]) +
                   " fails its checksum or torn check: its rows may hold damaged values");
  }
  if (refusal == PageRefusal::kNone || refusal == PageRefusal::kFreed ||
      refusal == PageRefusal::kIndexPage) {
    return;
  }
  const PageId page = pageList_[listIndex];
  if (context_.pfs.IsAllocated(page) == false) return;  // a free page may hold anything
  damage_.skippedPages.push_back({page, PageRefusalText(refusal)});
  events.LogLine("Page " + ToString(page) + " skipped: " + PageRefusalText(refusal));
}

GridPage RecordPager::First(ScanEvents& events) {
  readAhead_.reset();
  ChooseAndList();
  for (const std::string& line : damage_.brokenLinks) events.LogLine("Damage: " + line);
  if (damage_.pagesFromInventory > 0) {
    events.LogLine("Damage: " + std::to_string(damage_.pagesFromInventory) +
                   " page(s) the table's links no longer reach are read as well");
  }
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
