// The pager over small tables built in code: each way of listing a table's
// pages, and paging through it 1000 rows at a time.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "session/record_pager.h"
#include "testing/corpus.h"
#include "testing/table_fixture.h"

namespace tessaril {

void PrintTo(PageStrategy strategy, std::ostream* out) { *out << PageStrategyName(strategy); }

namespace {

using testing::TableFileShape;
using testing::TableFixture;
using testing::TableKind;

struct Strategy {
  const char* name;
  TableKind kind;
  bool advanced;
  PageStrategy expected;
};

const Strategy kStrategies[] = {
    {"HeapByIam", TableKind::kHeap, false, PageStrategy::kIamWalk},
    {"ClusteredByPageChain", TableKind::kClustered, false, PageStrategy::kPageChain},
    {"Sql2000ByIndexRowChain", TableKind::kClustered2000, false, PageStrategy::kChain2000},
    {"Sql2000HeapByInventoryIam", TableKind::kHeap2000, false, PageStrategy::kIamWalk},
    {"AdvancedByCollectedList", TableKind::kHeap, true, PageStrategy::kCollectedList},
};

void PrintTo(const Strategy& strategy, std::ostream* out) { *out << strategy.name; }

enum class Move { kFirst, kNext, kPrevious };

struct Step {
  Move move;
  const char* label;
  const char* caption;
  bool hasNext;
  bool hasPrevious;
  bool refused = false;  // nothing to move to: an empty grid, the pager as it was
};

const std::vector<Step> kThreeGridPages = {
    {Move::kFirst, "Page1 - [1000](1-1000) Records", "0 rows to 1000", true, false},
    {Move::kNext, "Page2 - [1000](1001-2000) Records", "1000 rows to 2000", true, true},
    {Move::kNext, "Page3 - [1](2001-2001) Records", "2000 rows to 2001", false, true},
    {Move::kPrevious, "Page2 - [1000](1001-2000) Records", "1000 rows to 2000", true, true},
    {Move::kPrevious, "Page1 - [1000](1-1000) Records", "0 rows to 1000", true, false},
    {Move::kNext, "Page2 - [1000](1001-2000) Records", "1000 rows to 2000", true, true},
};

const std::vector<Step> kOneGridPage = {
    {Move::kFirst, "Page1 - [1000](1-1000) Records", "0 rows to 1000", false, false},
    {Move::kNext, "Page1 - [1000](1-1000) Records", "0 rows to 1000", false, false, true},
    {Move::kPrevious, "Page1 - [1000](1-1000) Records", "0 rows to 1000", false, false, true},
};

struct Shape {
  const char* name;
  std::vector<int> rowsPerPage;
  bool withName;
  const std::vector<Step>* steps;
};

const Shape kShapes[] = {
    {"ThousandthRowInsideAPage", {300, 300, 300, 300, 300, 300, 201}, true, &kThreeGridPages},
    {"ThousandthRowEndsAPage", {500, 500, 500, 500, 1}, false, &kThreeGridPages},
    {"ThousandRowsThenAnEmptyPage", {400, 600, 0}, false, &kOneGridPage},
    {"ThousandRowsEndTheLastPage", {400, 600}, false, &kOneGridPage},
};

void PrintTo(const Shape& shape, std::ostream* out) { *out << shape.name; }

RowContext ContextOf(const TableFixture& t) {
  return RowContext(t.layout, *t.db, TextDecoding(nullptr, {}), t.recordOptions,
                    t.catalog.sql2000Layout);
}

// The ids of the rows shown, checking each row's name when the table has one.
std::vector<std::string> IdsOf(const GridPage& page, bool withName) {
  std::vector<std::string> ids;
  for (const RenderedRow& row : page.rows) {
    ids.push_back(row.cells.at(0).text);
    if (withName) {
      EXPECT_EQ(row.cells.at(1).text, "row " + ids.back());
    }
  }
  return ids;
}

std::vector<std::string> IdRange(std::int64_t first, std::int64_t last) {
  std::vector<std::string> ids;
  for (std::int64_t id = first; id <= last; ++id) ids.push_back(std::to_string(id));
  return ids;
}

class PagerOverBuiltTable : public ::testing::TestWithParam<std::tuple<Strategy, Shape>> {};

TEST_P(PagerOverBuiltTable, ShowsEveryRowOnceInOrderWithItsLabels) {
  const auto& [strategy, shape] = GetParam();
  testing::TempDir dir;
  TableFileShape fileShape;
  fileShape.kind = strategy.kind;
  fileShape.rowsPerPage = shape.rowsPerPage;
  fileShape.withName = shape.withName;
  const TableFixture table = testing::OpenTableFixture(fileShape, dir.path());
  ASSERT_TRUE(table.db);
  RowContext context = ContextOf(table);
  RecordPager pager(table.catalog, context, strategy.advanced);
  for (std::size_t i = 0; i < shape.steps->size(); ++i) {
    const Step& step = (*shape.steps)[i];
    SCOPED_TRACE("step " + std::to_string(i));
    ScanEvents quiet;
    const GridPage page = step.move == Move::kFirst  ? pager.First(quiet)
                          : step.move == Move::kNext ? pager.Next(quiet)
                                                     : pager.Previous(quiet);
    if (step.move == Move::kFirst) {
      EXPECT_EQ(pager.strategy(), strategy.expected);
    }
    const std::int64_t shown = step.refused ? pager.lastRow() - pager.firstRow() : page.rowsCounted;
    EXPECT_EQ(pager.PageLabel(shown), step.label);
    EXPECT_EQ(pager.CaptionText(), step.caption);
    EXPECT_EQ(pager.hasNext(), step.hasNext);
    EXPECT_EQ(pager.hasPrevious(), step.hasPrevious);
    EXPECT_EQ(IdsOf(page, shape.withName), step.refused
                                               ? std::vector<std::string>{}
                                               : IdRange(pager.firstRow() + 1, pager.lastRow()));
  }
}

INSTANTIATE_TEST_SUITE_P(Strategies, PagerOverBuiltTable,
                         ::testing::Combine(::testing::ValuesIn(kStrategies),
                                            ::testing::ValuesIn(kShapes)),
                         [](const auto& param) {
                           return std::string(std::get<0>(param.param).name) + "_" +
                                  std::get<1>(param.param).name;
                         });

struct LoopCase {
  const char* name;
  TableFileShape fileShape;
  PageStrategy expected;
  std::size_t pagesListed;
};

TableFileShape LoopingChain(TableKind kind, std::size_t backTo) {
  TableFileShape fileShape;
  fileShape.kind = kind;
  fileShape.rowsPerPage = {10, 10, 10};
  fileShape.chainLoopsTo = backTo;
  return fileShape;
}

// Two single pages and nine pages over two extents, the extents shared out
// over two IAM pages, the second linking back to the first.
TableFileShape LoopingIamChain(TableKind kind) {
  TableFileShape fileShape;
  fileShape.kind = kind;
  fileShape.rowsPerPage.assign(11, 10);
  fileShape.iamPageCount = 2;
  fileShape.iamChainLoops = true;
  return fileShape;
}

void PrintTo(const LoopCase& c, std::ostream* out) { *out << c.name; }

class PagerOverLoopingLinks : public ::testing::TestWithParam<LoopCase> {};

TEST_P(PagerOverLoopingLinks, ListsEachPageOnceAndEnds) {
  const LoopCase& c = GetParam();
  testing::TempDir dir;
  const TableFixture table = testing::OpenTableFixture(c.fileShape, dir.path());
  ASSERT_TRUE(table.db);
  RowContext context = ContextOf(table);
  RecordPager pager(table.catalog, context, false);
  ScanEvents quiet;
  const GridPage page = pager.First(quiet);
  EXPECT_EQ(pager.strategy(), c.expected);
  const std::vector<PageId>& listed = pager.pageList();
  EXPECT_EQ(listed.size(), c.pagesListed);
  EXPECT_EQ(std::set<PageId>(listed.begin(), listed.end()).size(), listed.size());
  std::int64_t rows = 0;
  for (const int n : c.fileShape.rowsPerPage) rows += n;
  EXPECT_EQ(IdsOf(page, false), IdRange(1, rows));
  EXPECT_FALSE(pager.hasNext());
}

INSTANTIATE_TEST_SUITE_P(
    Loops, PagerOverLoopingLinks,
    ::testing::Values(LoopCase{"PageChainBackToAnEarlierPage",
                               LoopingChain(TableKind::kClustered, 1), PageStrategy::kPageChain, 3},
                      LoopCase{"Sql2000ChainBackToItsFirstPage",
                               LoopingChain(TableKind::kClustered2000, 0), PageStrategy::kChain2000,
                               3},
                      // Two single pages and the sixteen pages of two extents.
                      LoopCase{"IamChainBackToItsFirstPage", LoopingIamChain(TableKind::kHeap),
                               PageStrategy::kIamWalk, 18},
                      LoopCase{"Sql2000IamChainBackToItsFirstPage",
                               LoopingIamChain(TableKind::kHeap2000), PageStrategy::kIamWalk, 18}),
    [](const auto& param) { return std::string(param.param.name); });

struct FallbackCase {
  const char* name;
  TableFileShape fileShape;
  PageStrategy expected;
};

void PrintTo(const FallbackCase& c, std::ostream* out) { *out << c.name; }

// The unit's first page is an empty leaf page whose next link is lost.
TableFileShape ChainLostAfterAnEmptyFirstPage() {
  TableFileShape fileShape;
  fileShape.kind = TableKind::kClustered;
  fileShape.rowsPerPage = {0, 10, 10};
  fileShape.chainCutAfter = 0;
  return fileShape;
}

// The heap's IAM page lists only its first page, which is empty; the pages
// are linked from it.
TableFileShape IamListingAnEmptyPage() {
  TableFileShape fileShape;
  fileShape.kind = TableKind::kHeap;
  fileShape.rowsPerPage = {0, 10, 10};
  fileShape.singlePages = 1;
  fileShape.iamListsExtents = false;
  fileShape.linkPages = true;
  return fileShape;
}

class PagerOverRowlessWalk : public ::testing::TestWithParam<FallbackCase> {};

// A walk that lists pages but gives no row gives way to the other walk.
TEST_P(PagerOverRowlessWalk, FindsTheRowsByTheOtherWalk) {
  const FallbackCase& c = GetParam();
  testing::TempDir dir;
  const TableFixture table = testing::OpenTableFixture(c.fileShape, dir.path());
  ASSERT_TRUE(table.db);
  RowContext context = ContextOf(table);
  RecordPager pager(table.catalog, context, false);
  ScanEvents quiet;
  const GridPage page = pager.First(quiet);
  EXPECT_EQ(pager.strategy(), c.expected);
  EXPECT_EQ(IdsOf(page, false), IdRange(1, 20));
  EXPECT_EQ(pager.PageLabel(page.rowsCounted), "Page1 - [20](1-20) Records");
}

INSTANTIATE_TEST_SUITE_P(
    Fallbacks, PagerOverRowlessWalk,
    ::testing::Values(FallbackCase{"ChainLostAfterAnEmptyFirstPage",
                                   ChainLostAfterAnEmptyFirstPage(), PageStrategy::kIamWalk},
                      FallbackCase{"IamListingAnEmptyPage", IamListingAnEmptyPage(),
                                   PageStrategy::kPageChain}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace tessaril
