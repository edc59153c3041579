// What the shells ask the session between jobs: the published tree, the
// grid's columns and page view, and the tables an export takes.
#include <gtest/gtest.h>

#include "session/export_selection.h"
#include "session/grid_view.h"
#include "session/scan_session.h"
#include "testing/corpus.h"
#include "testing/recording_events.h"

namespace tessaril {
namespace {

class ShellDecisionsTest : public ::testing::Test {
 protected:
  void Scan(const char* dir) {
    const auto file = testing::FindCorpusFile(dir);
    ASSERT_TRUE(file);
    session_.options.dataFilePath = file->path.string();
    session_.options.recoveryMode = kStandardMode;
    const Result<ScanJob> job = session_.BeginScan(std::tm{});
    ASSERT_TRUE(job.ok());
    ASSERT_EQ(session_.RunScan(*job, events_), ScanOutcome::kCompleted);
  }
  ScanSession session_;
  testing::RecordingEvents events_;
};

// The tree a shell reads is the one the last job left, grown by an opened
// table within a scan, and marked new by the next scan.
TEST_F(ShellDecisionsTest, PublishedTreeFollowsTheJobs) {
  TESSARIL_REQUIRE_CORPUS();
  EXPECT_TRUE(session_.publishedTree()->tree.empty());
  Scan("sql2008_pubs");
  const auto scanned = session_.publishedTree();
  EXPECT_EQ(scanned->tree.size(), session_.tree().size());
  const TreeItemId titles = scanned->tree.FindObject(TreeFolder::kUserTables, "titles");
  ASSERT_NE(titles, kNoTreeItem);
  ASSERT_TRUE(session_.ShowTreeItem(titles, events_).ok());
  const auto opened = session_.publishedTree();
  EXPECT_EQ(opened->scanNumber, scanned->scanNumber);
  EXPECT_EQ(opened->tree.item(titles).children.size(), 5u);
  EXPECT_EQ(scanned->tree.item(titles).children.size(), 1u);  // the old copy is untouched
  Scan("sql2008_pubs");
  EXPECT_NE(session_.publishedTree()->scanNumber, scanned->scanNumber);
}

// Pages of a table as the grid shows them, and the columns it gets.
TEST_F(ShellDecisionsTest, PageViewsFollowThePager) {
  TESSARIL_REQUIRE_CORPUS();
  Scan("sql2008r2_northwind");
  const TreeItemId details = session_.tree().FindObject(TreeFolder::kUserTables, "Order Details");
  ASSERT_NE(details, kNoTreeItem);
  Result<ViewerOutcome> shown = session_.ShowTreeItem(details, events_);
  ASSERT_TRUE(shown.ok());
  TableReader& table = *shown->table;
  EXPECT_EQ(GridColumns(table.layout(), false).size(), 5u);
  const struct {
    bool next;
    const char* label;
    bool nextEnabled;
    bool previousEnabled;
  } steps[] = {
      {true, "Page2 - [1000](1001-2000) Records", true, true},
      {true, "Page3 - [155](2001-2155) Records", false, true},
      {false, "Page2 - [1000](1001-2000) Records", true, true},
      {false, "Page1 - [1000](1-1000) Records", true, false},
  };
  for (const auto& step : steps) {
    GridPage page = step.next ? table.Next(events_) : table.Previous(events_);
    const PageView view = ViewOfPage(table.pager(), std::move(page));
    EXPECT_EQ(view.label, step.label);
    EXPECT_EQ(view.nextEnabled, step.nextEnabled) << step.label;
    EXPECT_EQ(view.previousEnabled, step.previousEnabled) << step.label;
  }

  TableLayout layout = table.layout();
  layout.columns[1].physicalOrdinal = kNoStorage;
  EXPECT_EQ(GridColumns(layout, false), (std::vector<std::size_t>{0, 2, 3, 4}));
  EXPECT_EQ(GridColumns(layout, true).size(), 5u);
}

// A table goes to the export when its box or one of its columns is
// checked; a checked folder of modules adds no table.
TEST_F(ShellDecisionsTest, CheckedTablesByQualifiedName) {
  TESSARIL_REQUIRE_CORPUS();
  Scan("sql2008_pubs");
  ObjectTree& tree = session_.tree();
  const Catalog& catalog = session_.current()->catalog;
  EXPECT_TRUE(CheckedTableNames(tree, catalog).empty());
  const TreeItemId titles = tree.FindObject(TreeFolder::kUserTables, "titles");
  const TreeItemId authors = tree.FindObject(TreeFolder::kUserTables, "authors");
  ASSERT_TRUE(session_.ShowTreeItem(titles, events_).ok());
  const TreeItemId columns = tree.item(titles).children.back();
  tree.ClickCheckBox(tree.item(columns).children.front());
  tree.ClickCheckBox(authors);
  tree.ClickCheckBox(tree.folder(TreeFolder::kStoreProcedure));
  EXPECT_EQ(CheckedTableNames(tree, catalog),
            (std::vector<std::string>{"dbo.authors", "dbo.titles"}));
}

}  // namespace
}  // namespace tessaril
