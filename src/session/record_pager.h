// Walking a table's pages 1000 rows at a time, forward and back, as the
// record grid shows them.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/events.h"
#include "catalog/catalog.h"
#include "catalog/table_layout.h"
#include "session/page_read_ahead.h"
#include "session/walk_damage.h"
#include "storage/allocation_map.h"
#include "values/row_renderer.h"

namespace tessaril {

inline constexpr std::size_t kRowsPerGridPage = 1000;

// How the table's pages are listed.
enum class PageStrategy {
  kCollectedList,  // the pages the catalog chose (Advanced mode, or nothing better)
  kIamWalk,        // the allocation unit's IAM chain: single pages, then extents
  kPageChain,      // next-page links from the first page
  kChain2000,      // next-page links from the SQL Server 2000 index row's first page
};
const char* PageStrategyName(PageStrategy strategy);

// A place in the table: a page of the page list and a record on it.
struct PagePosition {
  std::int64_t page = 0;
  std::int64_t record = 0;
  friend bool operator==(const PagePosition&, const PagePosition&) = default;
};

struct GridPage {
  std::vector<RenderedRow> rows;  // the rows shown (all-empty carved rows left out)
  std::int64_t rowsCounted = 0;   // rows taken from the records, the left-out ones included
};

// "Page2 - [1000](1001-2000) Records": the page number, the rows shown, and
// the range first + 1 to last (0-0 for a first page without rows).
std::string PageLabelText(int pageNumber, std::int64_t rowsShown, std::int64_t first,
                          std::int64_t last);

class RecordPager {
 public:
  RecordPager(const Catalog& catalog, RowContext& context, bool advancedMode);

  // The first page: chooses the strategy, lists the pages, shows up to 1000
  // rows. Each row inserted is told to the caption bar; the end message goes
  // where the strategy sends it; progress runs over the pages.
  GridPage First(ScanEvents& events);
  // The pages after and before: each row inserted is told to the caption bar
  // and the scan log file, and so is the caption text at the end; progress
  // advances by one a row.
  GridPage Next(ScanEvents& events);
  GridPage Previous(ScanEvents& events);

  // From the next grid page on, the pages of the list are rendered ahead on
  // threads workers, for a walk that goes forward to the end; the rows come
  // as they would without. Ended by EndReadAhead, by First, and by a step
  // that leaves the list's order.
  void ReadAhead(unsigned threads);
  void EndReadAhead() { readAhead_.reset(); }
  // Whether each row inserted is told to the caption bar (and, past the
  // first grid page, to the log file and the progress bar); on unless set.
  void SetRowReports(bool on) { rowReports_ = on; }

  bool hasNext() const { return continuation_.has_value(); }
  bool hasPrevious() const { return pageNumber_ > 1; }
  int pageNumber() const { return pageNumber_; }
  std::int64_t firstRow() const { return first_; }
  std::int64_t lastRow() const { return last_; }
  PageStrategy strategy() const { return strategy_; }
  const std::vector<PageId>& pageList() const { return pageList_; }
  // The damage the walk met so far: from the listing on the first page, from
  // the pages and records as they are read.
  const WalkDamage& damage() const { return damage_; }

  // "Page2 - [1000](1001-2000) Records"
  std::string PageLabel(std::int64_t rowsShown) const;
  // "1000 rows to 2000"
  std::string CaptionText() const;
  // What the first page's load ends with, by strategy: "0 rows to 1000", or,
  // for the page chain, the number of rows in the grid alone.
  std::string EndMessage(const GridPage& first) const;
  // The caption while rows are inserted: " row 12 inserted".
  static std::string RowInsertedText(std::int64_t gridRow);

 private:
  void ChooseAndList();
  void ListByLinks();
  void ListIamChain(PageId firstIam, std::set<PageId>& seenIam);
  void ListPageChain(PageId first);
  void LinkBroken(const char* walk, PageId at, const char* reason);
  void ChooseUnitKeys();
  void AddPagesTheLinksMissed();
  void NotePageDamage(std::size_t listIndex, const PageRead& read, std::size_t damagedRecords,
                      ScanEvents& events);
  void KeepListedIfTheyGiveRows(std::size_t from);
  void ListCollected();
  bool InsideItsFile(PageId page) const;
  // Shows up to 1000 rows from start; sets stop to the first record not
  // shown. The first page reports progress by page, the others by row.
  GridPage Load(PagePosition start, std::optional<PagePosition>& stop, bool firstPage,
                ScanEvents& events);
  void ReportEnd(const GridPage& first, ScanEvents& events);
  void ReportCaption(ScanEvents& events);
  // The rows of list index p, from the read-ahead when it is at p.
  RenderedPage RenderPage(std::size_t p);

  const Catalog& catalog_;
  RowContext& context_;
  bool advancedMode_;
  PageStrategy strategy_ = PageStrategy::kCollectedList;
  std::vector<PageId> pageList_;
  std::deque<PagePosition> positions_;  // starts of the pages shown so far
  std::optional<PagePosition> continuation_;
  int pageNumber_ = 0;
  std::int64_t first_ = 0;
  std::int64_t last_ = 0;
  // The rows of the page the last grid page stopped in, from heldFrom_ on
  // (those before it were taken), kept for the grid page that starts there.
  std::optional<PagePosition> heldFrom_;
  std::vector<RenderedRow> heldRows_;
  // Pages in each file of the database, for the bounds of listed pages.
  FilePageCounts pageCounts_;
  // The inventory keys of the allocation units a link walk is over: a page
  // the links lead to that names another unit is not the table's.
  std::vector<std::uint64_t> unitKeys_;
  bool linksBroken_ = false;
  bool rowReports_ = true;
  WalkDamage damage_;
  std::set<std::size_t> pagesJudged_;  // list indexes whose damage is counted
  // Last, so that its workers end before what they read goes.
  std::unique_ptr<PageReadAhead> readAhead_;
};

}  // namespace tessaril
