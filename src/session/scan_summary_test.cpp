#include "session/scan_summary.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "testing/corpus.h"

namespace tessaril {
namespace {

ScanSnapshot OpenCorpusFile(const std::string& dir, bool carve) {
  const auto file = testing::FindCorpusFile(dir);
  if (!file) return nullptr;
  OpenRequest request;
  request.path = file->path.string();
  request.settings.showDeletedRecords = carve;
  request.settings.carveDeletedRecords = carve;
  ScanEvents quiet;
  StopFlag stop;
  Result<std::shared_ptr<ScanResult>> opened = OpenDatabase(request, quiet, stop);
  return opened ? std::move(opened).value() : nullptr;
}

TEST(ScanSummary, CountsTablesPagesAndDeletedRows) {
  TESSARIL_REQUIRE_CORPUS();
  const ScanSnapshot scan = OpenCorpusFile("sql2014_pubs", true);
  ASSERT_NE(scan, nullptr);
  const ScanSummary pagesOnly = SummariseScan(scan, false);
  EXPECT_EQ(pagesOnly.userTables, 11u);
  EXPECT_EQ(pagesOnly.primaryPages, 3342336u / 8192);
  EXPECT_EQ(pagesOnly.pagesRead, pagesOnly.primaryPages);
  EXPECT_EQ(pagesOnly.pagesSkipped, 0u);
  EXPECT_FALSE(pagesOnly.rowsCounted);
  EXPECT_TRUE(pagesOnly.tables.empty());

  const ScanSummary counted = SummariseScan(scan, true);
  ASSERT_TRUE(counted.rowsCounted);
  ASSERT_EQ(counted.tables.size(), 11u);
  std::uint64_t rows = 0;
  for (const TableRowCount& t : counted.tables) rows += t.rows;
  EXPECT_EQ(rows, counted.rows);
  const auto authors = std::find_if(counted.tables.begin(), counted.tables.end(),
                                    [](const TableRowCount& t) { return t.name == "dbo.authors"; });
  ASSERT_NE(authors, counted.tables.end());
  EXPECT_EQ(authors->rows, 24u);
  EXPECT_EQ(authors->deletedRows, 2u);  // the deleted Smith and the older White
  // Carving reads deleted rows of the user tables only: the old rows of the
  // base tables never replace a table's live layout.
  const auto employee =
      std::find_if(counted.tables.begin(), counted.tables.end(),
                   [](const TableRowCount& t) { return t.name == "dbo.employee"; });
  ASSERT_NE(employee, counted.tables.end());
  EXPECT_EQ(employee->rows, 43u);
}

TEST(ScanSummary, AStopEndsTheRowCount) {
  TESSARIL_REQUIRE_CORPUS();
  const ScanSnapshot scan = OpenCorpusFile("sql2008_pubs", false);
  ASSERT_NE(scan, nullptr);
  StopFlag stop;
  stop.Request();
  const ScanSummary summary = SummariseScan(scan, true, &stop);
  EXPECT_TRUE(summary.rowsCountStopped);
  EXPECT_TRUE(summary.tables.empty());
  EXPECT_EQ(summary.userTables, 11u);
}

}  // namespace
}  // namespace tessaril
