#include "session/scan_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "base/unicode.h"
#include "catalog/table_layout.h"
#include "storage/snapshot_file.h"
#include "testing/corpus.h"
#include "testing/recording_events.h"

namespace tessaril {
namespace {

using testing::RecordingEvents;

std::tm Noon() {
  std::tm t{};
  t.tm_mday = 9;
  t.tm_mon = 11;
  t.tm_year = 126;
  t.tm_hour = 12;
  return t;
}

class ScanSessionTest : public ::testing::Test {
 protected:
  ScanOutcome Scan(const std::string& path, std::uint32_t mode = kStandardMode) {
    session_.options.dataFilePath = path;
    session_.options.logFolder = logDir_.path().string() + "/";
    session_.options.recoveryMode = mode;
    const Result<ScanJob> job = session_.BeginScan(Noon());
    EXPECT_TRUE(job.ok());
    if (!job) return ScanOutcome::kAborted;
    EXPECT_TRUE(session_.busy());
    const ScanOutcome outcome = session_.RunScan(*job, events_);
    EXPECT_FALSE(session_.busy());
    EXPECT_FALSE(events_.progressVisible());
    return outcome;
  }
  std::vector<std::string> ExpectedOpening(const std::string& path, const char* modeLine) const {
    return {path + " File is selected for recovery....", "Browse File Path:\t" + path + "\r\n",
            modeLine, "Scanning of file starts..."};
  }

  testing::TempDir logDir_;
  ScanSession session_;
  RecordingEvents events_;
};

TEST_F(ScanSessionTest, CorpusFileOpensAndLogsEachStep) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2012_nerddinner");
  ASSERT_TRUE(file);
  const std::string path = file->path.string();
  session_.SetCollations(CollationTable::Load(TESSARIL_SOURCE_DIR "/data/collation.txt"));
  EXPECT_EQ(Scan(path), ScanOutcome::kCompleted);
  std::vector<std::string> expected = ExpectedOpening(path, kStandardModeText);
  expected.emplace_back("Database version:  SQL Server 2012");
  expected.emplace_back("Collation Type: SQL_Latin1_General_CP1_CI_AS");
  expected.emplace_back(kCreatingTreeText);
  expected.emplace_back(kTreeDoneText);
  expected.emplace_back(kRetrievingModulesText);
  expected.emplace_back(kRetrievingModulesDoneText);
  expected.emplace_back(kScanCompletedLine);
  EXPECT_EQ(events_.logLines(), expected);
  EXPECT_EQ(events_.boxes(), std::vector<std::string>{kScanProcessCompletedText});
  EXPECT_EQ(session_.tree().item(session_.tree().root()).text, file->dbName);
  EXPECT_NE(session_.tree().FindObject(TreeFolder::kUserTables, "Dinner"), kNoTreeItem);
  const ScanSnapshot scan = session_.current();
  ASSERT_NE(scan, nullptr);
  EXPECT_EQ(scan->rootName, file->dbName);
  EXPECT_FALSE(scan->catalog.objects.empty());
  EXPECT_TRUE(events_.fatals().empty());
  EXPECT_FALSE(scan->db->inventory().systemPages.empty());
  const std::vector<std::string> expectedStatus = {
      kCheckingCorruptionText, kCheckingCorruptionDoneText, kMappingText, kMappingDoneText};
  EXPECT_EQ(events_.statuses(), expectedStatus);

  // The log file holds the same lines, UTF-16, each ended by CR LF.
  std::string logText = "\r\n" + std::string(80, '*') + "\r\n";
  for (const std::string& line : events_.logLines()) logText += line + "\r\n";
  const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(session_.scanLog().path());
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(Utf16LeToUtf8(ByteView(bytes.data() + 2, bytes.size() - 2)), logText);
}

TEST_F(ScanSessionTest, UnusableFileAbortsTheScan) {
  struct Case {
    std::string path;
    const char* fatal;
  };
  testing::WriteWholeFile(logDir_.path() / "short.mdf", std::vector<std::uint8_t>(100, 1));
  const std::vector<Case> cases = {
      {(logDir_.path() / "missing.mdf").string(), kFileCannotOpenText},
      {(logDir_.path() / "short.mdf").string(), kInvalidFileText},
  };
  for (const Case& c : cases) {
    events_.Clear();
    EXPECT_EQ(Scan(c.path, kAdvancedMode), ScanOutcome::kAborted) << c.path;
    std::vector<std::string> expected = ExpectedOpening(c.path, kAdvancedModeText);
    expected.emplace_back(kScanAbortedText);
    EXPECT_EQ(events_.logLines(), expected);
    EXPECT_EQ(events_.fatals(), std::vector<std::string>{c.fatal});
    EXPECT_EQ(events_.boxes(), std::vector<std::string>{kScanAbortedText});
    EXPECT_EQ(session_.current(), nullptr);
    EXPECT_EQ(session_.scanOptions().recoveryMode, kAdvancedMode);
  }
}

TEST_F(ScanSessionTest, SecondScanIsRefusedWhileBusy) {
  session_.options.logFolder = logDir_.path().string() + "/";
  ASSERT_TRUE(session_.BeginScan(Noon()).ok());
  const Result<ScanJob> second = session_.BeginScan(Noon());
  ASSERT_FALSE(second.ok());
  EXPECT_EQ(second.error(), kBusyText);
  session_.RequestStop();  // Stop frees the session at once
  EXPECT_FALSE(session_.busy());
  EXPECT_TRUE(session_.stopFlag().requested());
}

TEST_F(ScanSessionTest, StopWhileMappingGoesOnWithThePagesMapped) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2014_pubs");
  ASSERT_TRUE(file);
  bool mapping = false;
  bool stopped = false;
  events_.onProgress = [&](std::uint64_t position) {
    mapping = mapping || events_.statuses().back() == kMappingText;
    if (mapping && !stopped && position >= 200) {
      stopped = true;
      session_.RequestStop();
    }
  };
  EXPECT_EQ(Scan(file->path.string()), ScanOutcome::kStopped);
  EXPECT_EQ(events_.logLines().back(), kScanStoppedLine);
  ASSERT_NE(session_.current(), nullptr);
  EXPECT_TRUE(session_.current()->db->mappingStopped());
  EXPECT_FALSE(session_.stopFlag().requested());
}

std::vector<std::string> TreeLines(const ObjectTree& tree) {
  std::vector<std::string> lines;
  tree.Walk(tree.root(), [&](TreeItemId id, int depth) {
    lines.push_back(std::to_string(depth) + tree.item(id).text + (tree.item(id).bold ? "*" : ""));
  });
  return lines;
}

// A snapshot saved after a scan gives the next scan the same tree without
// the mapping pass, for as long as its data file is there.
TEST_F(ScanSessionTest, SnapshotScanSkipsTheMappingPass) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2014_pubs");
  ASSERT_TRUE(file);
  const std::string copy = (logDir_.path() / "Pubs.mdf").string();
  std::filesystem::copy_file(file->path, copy);
  const std::string snapshot = (logDir_.path() / "pubs.MDBVTR").string();
  EXPECT_EQ(session_.SaveSnapshot(snapshot, events_).error(), kNothingToSaveText);

  session_.options.manualCollationId = 53256;
  session_.options.collationMode = kManualCollation;
  ASSERT_EQ(Scan(copy), ScanOutcome::kCompleted);
  const std::vector<std::string> tree = TreeLines(session_.tree());
  events_.Clear();
  ASSERT_TRUE(session_.SaveSnapshot(snapshot, events_).ok());
  const std::string saved = kSnapshotSavedText + snapshot;
  EXPECT_EQ(events_.logLines(), (std::vector<std::string>{kSavingSnapshotText, saved}));
  EXPECT_EQ(events_.boxes(), std::vector<std::string>{saved});

  ScanSession second;
  RecordingEvents events;
  Result<ScanJob> job = second.BeginSnapshotScan(snapshot, "", Noon());
  ASSERT_TRUE(job.ok());
  EXPECT_EQ(second.options.collationMode, kManualCollation);
  EXPECT_EQ(second.options.manualCollationId, 53256u);
  ASSERT_EQ(second.RunScan(*job, events), ScanOutcome::kCompleted);
  EXPECT_EQ(TreeLines(second.tree()), tree);
  EXPECT_EQ(events.logLines().front(), "Browse File Path:\t" + copy + "\r\n");
  const std::vector<std::string> statuses = events.statuses();
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), kMappingText), 0);
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), kSnapshotLoadedText), 1);

  std::filesystem::remove(copy);
  events.Clear();
  job = second.BeginSnapshotScan(snapshot, "", Noon());
  ASSERT_TRUE(job.ok());
  EXPECT_EQ(second.RunScan(*job, events), ScanOutcome::kAborted);
  EXPECT_EQ(events.fatals(), std::vector<std::string>{kFileCannotOpenText});
  EXPECT_EQ(events.logLines().back(), kScanAbortedText);
}

// Pages whose bytes no longer match their checksum are named in the scan
// log, a catalog page as such, a table's page with its table; a healthy
// file's log names none.
TEST_F(ScanSessionTest, ScanLogNamesPagesFailingTheirChecksum) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2016_dailynutrition");
  ASSERT_TRUE(file);
  ASSERT_EQ(Scan(file->path.string()), ScanOutcome::kCompleted);
  for (const std::string& line : events_.logLines()) EXPECT_FALSE(line.starts_with("Damage:"));

  const ScanSnapshot clean = session_.current();
  constexpr std::int32_t kObjectTable = 34;
  const PageList& objectPages = clean->db->inventory().systemPages.at(kObjectTable);
  const auto dataPage = std::find_if(objectPages.begin(), objectPages.end(),
                                     [](const PageEntry& e) { return e.type() == kDataPageType; });
  ASSERT_NE(dataPage, objectPages.end());
  const PageId catalogPage = dataPage->id();
  const TableLayout ingredients =
      BuildTableLayout(clean->catalog, *clean->db, "Ingredients", "U ", {}, {});
  ASSERT_FALSE(ingredients.pages.empty());
  const PageId tablePage = ingredients.pages.front();
  std::vector<std::uint8_t> bytes = testing::ReadWholeFile(file->path);
  for (const PageId damaged : {catalogPage, tablePage}) {
    std::uint8_t* page = bytes.data() + static_cast<std::size_t>(damaged.pageNumber) * kPageSize;
    const auto freeData = static_cast<std::size_t>(page[32] | (page[33] << 8));
    page[freeData + 1] ^= 0x40;  // a byte of its free space
  }
  testing::TempDir dir;
  const std::string copy = (dir.path() / file->file).string();
  testing::WriteWholeFile(copy, bytes);
  events_.Clear();
  ASSERT_EQ(Scan(copy), ScanOutcome::kCompleted);
  const std::vector<std::string> lines = events_.logLines();
  for (const std::string& expected :
       {"Damage: page " + ToString(catalogPage) + " of the catalog fails its checksum or torn check",
        "Damage: page " + ToString(tablePage) +
            " of Ingredients fails its checksum or torn check; its rows are shown as read"}) {
    EXPECT_EQ(std::count(lines.begin(), lines.end(), expected), 1) << expected;
  }
}

// Every corpus file scans to the end, with a tree under its database name.
TEST_F(ScanSessionTest, EveryCorpusFileScansToCompletion) {
  TESSARIL_REQUIRE_CORPUS();
  for (const testing::CorpusFile& file : testing::CorpusFiles()) {
    events_.Clear();
    EXPECT_EQ(Scan(file.path.string()), ScanOutcome::kCompleted) << file.dir;
    EXPECT_EQ(events_.logLines().back(), kScanCompletedLine) << file.dir;
    EXPECT_TRUE(events_.fatals().empty()) << file.dir;
    EXPECT_GT(session_.tree().size(), 10u) << file.dir;
  }
}

// A table opens with its first page and gains its keys and columns; a
// procedure opens with its definition.
TEST_F(ScanSessionTest, TreeItemsOpenInTheViewer) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2008_pubs");
  ASSERT_TRUE(file);
  ASSERT_EQ(Scan(file->path.string()), ScanOutcome::kCompleted);
  ObjectTree& tree = session_.tree();
  const TreeItemId titles = tree.FindObject(TreeFolder::kUserTables, "titles");
  ASSERT_NE(titles, kNoTreeItem);
  Result<ViewerOutcome> table = session_.ShowTreeItem(titles, events_);
  ASSERT_TRUE(table.ok());
  EXPECT_EQ(table->display, ViewerDisplay::kRecords);
  EXPECT_EQ(table->firstPage.rows.size(), 18u);
  EXPECT_EQ(table->caption, "titles[18]");
  EXPECT_EQ(tree.item(titles).children.size(), 5u);  // four key folders and the columns
  const std::vector<std::uint8_t> log = testing::ReadWholeFile(session_.scanLog().path());
  const std::string logText = Utf16LeToUtf8(ByteView(log.data(), log.size()));
  const std::string end = table->table->pager().EndMessage(table->firstPage);
  EXPECT_EQ(table->pageLabel, "Page1 - [18](1-18) Records");
  const std::string viewerLines = "\r\nPlease wait while titles folder is scanning.\r\n" + end +
                                  "\r\ntitles[18]\r\n" + kViewerDoneText + "\r\n";
  EXPECT_NE(logText.find(viewerLines), std::string::npos) << logText;
  EXPECT_FALSE(session_.busy());

  const TreeItemId procedure = tree.FindObject(TreeFolder::kStoreProcedure, "byroyalty");
  ASSERT_NE(procedure, kNoTreeItem);
  Result<ViewerOutcome> definition = session_.ShowTreeItem(procedure, events_);
  ASSERT_TRUE(definition.ok());
  EXPECT_EQ(definition->display, ViewerDisplay::kText);
  EXPECT_NE(definition->text.find("CREATE PROCEDURE byroyalty"), std::string::npos)
      << definition->text;
}

// Stop pressed while the tree is built or the module texts are read: the
// stage ends early, the scan ends in order but says it was stopped, and the
// next scan runs in full.
TEST_F(ScanSessionTest, StopDuringLaterStagesEndsThemEarly) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2000_northwind");
  ASSERT_TRUE(file);
  ASSERT_EQ(Scan(file->path.string()), ScanOutcome::kCompleted);
  const std::size_t fullTree = session_.tree().size();
  const std::size_t fullModules = session_.moduleTexts().scanList.size();
  ASSERT_GT(fullModules, 0u);
  for (const char* stage : {kCreatingTreeText, kRetrievingModulesText}) {
    events_.Clear();
    events_.onLogLine = [&](std::string_view line) {
      if (line == stage) session_.RequestStop();
    };
    EXPECT_EQ(Scan(file->path.string()), ScanOutcome::kStopped) << stage;
    EXPECT_EQ(events_.logLines().back(), kScanStoppedLine);
    for (const std::string& line : events_.logLines()) EXPECT_NE(line, kScanCompletedLine);
    EXPECT_LT(session_.moduleTexts().scanList.size(), fullModules) << stage;
    if (stage == std::string(kCreatingTreeText)) {
      EXPECT_EQ(session_.tree().size(), 10u);  // the root and the folders
    }
  }
  // The stop ended with its scan: a table opened now shows its rows.
  events_.Clear();
  const TreeItemId orders = session_.tree().FindObject(TreeFolder::kUserTables, "Orders");
  ASSERT_NE(orders, kNoTreeItem);
  const Result<ViewerOutcome> shown = session_.ShowTreeItem(orders, events_);
  ASSERT_TRUE(shown.ok());
  EXPECT_EQ(shown->firstPage.rows.size(), 830u);
  EXPECT_EQ(shown->pageLabel, "Page1 - [830](1-830) Records");

  events_.Clear();
  EXPECT_EQ(Scan(file->path.string()), ScanOutcome::kCompleted);
  EXPECT_EQ(session_.tree().size(), fullTree);
  EXPECT_EQ(session_.moduleTexts().scanList.size(), fullModules);
}

// The worker runs on its own thread while the user presses Stop.
TEST_F(ScanSessionTest, StopFromAnotherThreadIsSafe) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2008r2_northwind");
  ASSERT_TRUE(file);
  session_.options.dataFilePath = file->path.string();
  session_.options.logFolder = "";
  const Result<ScanJob> job = session_.BeginScan(Noon());
  ASSERT_TRUE(job.ok());
  std::thread worker([this, &job] { session_.RunScan(*job, events_); });
  session_.RequestStop();
  worker.join();
  EXPECT_FALSE(session_.busy());
  EXPECT_FALSE(session_.scanLog().isOpen());
}

// A window's jobs on worker threads: a scan stopped mid-way, a new Open at
// once, Next Records on a table of the old scan and a snapshot save while
// the stopped worker winds down. Every job is refused with the busy text or
// runs alone, and the old table keeps reading the scan it came from.
TEST_F(ScanSessionTest, JobsOnWorkerThreadsNeverOverlap) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2008r2_northwind");
  ASSERT_TRUE(file);
  ASSERT_EQ(Scan(file->path.string()), ScanOutcome::kCompleted);
  const TreeItemId orderDetails =
      session_.tree().FindObject(TreeFolder::kUserTables, "Order Details");
  ASSERT_NE(orderDetails, kNoTreeItem);
  Result<ViewerOutcome> shown = session_.ShowTreeItem(orderDetails, events_);
  ASSERT_TRUE(shown.ok());
  ASSERT_TRUE(shown->table);
  const ScanSnapshot oldScan = session_.current();

  // A scan that is stopped while it maps the file.
  const Result<ScanJob> stopped = session_.BeginScan(Noon());
  ASSERT_TRUE(stopped.ok());
  RecordingEvents stoppedEvents;
  std::thread stoppedWorker([&] { session_.RunScan(*stopped, stoppedEvents); });
  session_.RequestStop();
  // A new Open at once, while the stopped worker may still run.
  const Result<ScanJob> reopened = session_.BeginScan(Noon());
  ASSERT_TRUE(reopened.ok()) << reopened.error();
  // The new scan holds the session until the refusals below are checked.
  std::promise<void> checked;
  std::shared_future<void> refusalsChecked = checked.get_future().share();
  RecordingEvents reopenedEvents;
  reopenedEvents.onLogLine = [refusalsChecked](std::string_view) { refusalsChecked.wait(); };
  std::thread reopenedWorker([&] { session_.RunScan(*reopened, reopenedEvents); });
  // Next Records on the old view and a snapshot save: both refused, since
  // the new scan holds the session.
  RecordingEvents pageEvents;
  const Result<GridPage> next = session_.NextRecords(*shown->table, pageEvents);
  ASSERT_FALSE(next.ok());
  EXPECT_EQ(next.error(), kBusyText);
  const Status saved = session_.SaveSnapshot((logDir_.path() / "s.MDBVTR").string(), pageEvents);
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error(), kBusyText);
  checked.set_value();
  stoppedWorker.join();
  reopenedWorker.join();
  EXPECT_FALSE(session_.busy());
  EXPECT_FALSE(session_.stopFlag().requested());
  ASSERT_NE(session_.current(), nullptr);
  EXPECT_NE(session_.current(), oldScan);

  // The old table still reads its own scan's pages.
  const Result<GridPage> page2 = session_.NextRecords(*shown->table, pageEvents);
  ASSERT_TRUE(page2.ok());
  EXPECT_EQ(page2->rowsCounted, 1000);
  EXPECT_EQ(shown->table->pager().PageLabel(page2->rowsCounted),
            "Page2 - [1000](1001-2000) Records");
  EXPECT_EQ(pageEvents.captions().back(), "1000 rows to 2000");
  EXPECT_EQ(pageEvents.jobsEnded(), 1);
}

}  // namespace
}  // namespace tessaril
