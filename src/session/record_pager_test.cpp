#include "session/record_pager.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "catalog/catalog_builder.h"
#include "testing/corpus.h"
#include "testing/opened_catalog.h"
#include "testing/recording_events.h"

namespace tessaril {
namespace {

using Opened = testing::OpenedCatalog;

Opened Open(const testing::CorpusFile& file) {
  return testing::OpenWithCatalog(file.path.string());
}

struct Case {
  const char* dir;
  bool advanced;
  PageStrategy strategy;
};

class PagerOverOrderDetails : public ::testing::TestWithParam<Case> {};

// Order Details holds 2155 rows in both Northwind files: three grid pages.
TEST_P(PagerOverOrderDetails, WalksForwardAndBackWithItsLabels) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile(GetParam().dir);
  ASSERT_TRUE(file);
  const Opened opened = Open(*file);
  ASSERT_TRUE(opened.db);
  const DatabaseFile* db = opened.db.get();
  const Catalog& catalog = opened.catalog;
  const TableLayout layout =
      BuildTableLayout(catalog, *db, "Order Details", "U ", {}, RecordOptions());
  RowContext context(layout, *db, TextDecoding(nullptr, {}), RecordOptions(),
                     catalog.sql2000Layout);
  RecordPager pager(catalog, context, GetParam().advanced);

  std::set<std::pair<std::string, std::string>> keys;  // (OrderID, ProductID)
  const auto take = [&](const GridPage& page) {
    for (const RenderedRow& row : page.rows)
      keys.insert({row.cells.at(0).text, row.cells.at(1).text});
    return page.rowsCounted;
  };
  struct Step {
    const char* label;
    const char* caption;
    bool hasNext;
    bool hasPrevious;
  };
  const std::vector<Step> steps = {
      {"Page1 - [1000](1-1000) Records", "0 rows to 1000", true, false},
      {"Page2 - [1000](1001-2000) Records", "1000 rows to 2000", true, true},
      {"Page3 - [155](2001-2155) Records", "2000 rows to 2155", false, true},
      {"Page2 - [1000](1001-2000) Records", "1000 rows to 2000", true, true},
      {"Page1 - [1000](1-1000) Records", "0 rows to 1000", true, false},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    testing::RecordingEvents events;
    const GridPage page = i == 0  ? pager.First(events)
                          : i < 3 ? pager.Next(events)
                                  : pager.Previous(events);
    const std::vector<std::string> captions = events.captions();
    const std::vector<std::string> fileLines = events.fileLines();
    const std::vector<std::string> pane = events.logLines();
    ASSERT_EQ(captions.size(), page.rows.size() + 1) << "step " << i;
    EXPECT_EQ(captions.front(), " row 1 inserted");
    if (i == 0) {
      const std::string end = pager.EndMessage(page);
      EXPECT_EQ(end, pager.strategy() == PageStrategy::kPageChain ? "1000" : "0 rows to 1000");
      // The first page's rows go to the caption bar only; its end message
      // also to the log file, and for the chain walks to the log pane (which
      // the session writes to the file as well).
      const bool chain = pager.strategy() == PageStrategy::kChain2000 ||
                         pager.strategy() == PageStrategy::kPageChain;
      EXPECT_EQ(chain ? pane : fileLines, std::vector<std::string>{end});
      EXPECT_TRUE(chain ? fileLines.empty() : pane.empty());
      EXPECT_EQ(captions.back(), end);
    } else {
      // Later pages log every row inserted and their caption text.
      EXPECT_EQ(fileLines.size(), page.rows.size() + 1) << "step " << i;
      EXPECT_EQ(fileLines.back(), steps[i].caption);
      EXPECT_TRUE(pane.empty());
      EXPECT_EQ(captions.back(), fileLines.back());
    }
    const std::int64_t shown = take(page);
    EXPECT_EQ(pager.PageLabel(shown), steps[i].label) << "step " << i;
    EXPECT_EQ(pager.CaptionText(), steps[i].caption) << "step " << i;
    EXPECT_EQ(pager.hasNext(), steps[i].hasNext) << "step " << i;
    EXPECT_EQ(pager.hasPrevious(), steps[i].hasPrevious) << "step " << i;
  }
  EXPECT_EQ(keys.size(), 2155u);  // every row, each once
  EXPECT_EQ(pager.strategy(), GetParam().strategy);
}

INSTANTIATE_TEST_SUITE_P(
    Northwind, PagerOverOrderDetails,
    // The 2008 R2 file was upgraded from 2000 without its pages being rewritten:
    // their headers still name the table, not the allocation unit, so the
    // stored first page is not taken for the unit's and its IAM chain is walked.
    ::testing::Values(Case{"sql2008r2_northwind", false, PageStrategy::kIamWalk},
                      Case{"sql2008r2_northwind", true, PageStrategy::kCollectedList},
                      Case{"sql2000_northwind", false, PageStrategy::kChain2000}),
    [](const auto& param) {
      return std::string(param.param.dir) + (param.param.advanced ? "_advanced" : "");
    });

// Categories holds 8 rows on one page; listed 125 times it makes exactly
// 1000 rows, and 126 times 1008.
TEST(Pager, ExactlyAThousandRowsHaveNoNextPage) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2008r2_northwind");
  ASSERT_TRUE(file);
  const Opened opened = Open(*file);
  ASSERT_TRUE(opened.db);
  const DatabaseFile* db = opened.db.get();
  const Catalog& catalog = opened.catalog;
  TableLayout layout = BuildTableLayout(catalog, *db, "Categories", "U ", {}, RecordOptions());
  ASSERT_EQ(layout.pages.size(), 1u);
  for (std::size_t copies : {125u, 126u}) {
    layout.pages.assign(copies, layout.pages.front());
    RowContext context(layout, *db, TextDecoding(nullptr, {}), RecordOptions(), false);
    RecordPager pager(catalog, context, true);
    ScanEvents quiet;
    const GridPage first = pager.First(quiet);
    EXPECT_EQ(pager.PageLabel(first.rowsCounted), "Page1 - [1000](1-1000) Records");
    EXPECT_EQ(pager.hasNext(), copies == 126u);
    if (!pager.hasNext()) continue;
    const GridPage next = pager.Next(quiet);
    EXPECT_EQ(pager.PageLabel(next.rowsCounted), "Page2 - [8](1001-1008) Records");
    EXPECT_FALSE(pager.hasNext());
  }
}

TEST(Pager, ASmallTableFitsOnOnePage) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2014_pubs");
  ASSERT_TRUE(file);
  const Opened opened = Open(*file);
  ASSERT_TRUE(opened.db);
  const DatabaseFile* db = opened.db.get();
  const Catalog& catalog = opened.catalog;
  const TableLayout layout = BuildTableLayout(catalog, *db, "roysched", "U ", {}, RecordOptions());
  RowContext context(layout, *db, TextDecoding(nullptr, {}), RecordOptions(), false);
  RecordPager pager(catalog, context, false);
  ScanEvents quiet;
  const GridPage page = pager.First(quiet);
  EXPECT_EQ(page.rowsCounted, 86);
  EXPECT_FALSE(pager.hasNext());
  EXPECT_EQ(pager.strategy(),
            layout.rowset.indexId == 0 ? PageStrategy::kIamWalk : PageStrategy::kPageChain);
  EXPECT_EQ(pager.PageLabel(page.rowsCounted), "Page1 - [86](1-86) Records");
}

}  // namespace
}  // namespace tessaril
