// The state of the current scan and the scan worker.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "base/result.h"
#include "base/stop_flag.h"
#include "catalog/catalog.h"
#include "session/object_tree.h"
#include "session/object_viewer.h"
#include "session/scan_events.h"
#include "session/scan_log.h"
#include "session/scan_options.h"
#include "storage/database_file.h"
#include "values/collation_lookup.h"
#include "values/collation_table.h"

namespace tessaril {

inline constexpr const char* kBusyText = "Please wait for the running process.";
inline constexpr const char* kStopQuestionText = "Are you sure to stop the running process?";
inline constexpr const char* kSelectedForRecoveryText = " File is selected for recovery....";
inline constexpr const char* kBrowseFilePathText = "Browse File Path:\t";
inline constexpr const char* kAdvancedModeText = "Advanced mode is selected for file recovery.";
inline constexpr const char* kStandardModeText = "Standard mode is selected for file recovery.";
inline constexpr const char* kScanStartsText = "Scanning of file starts...";
inline constexpr const char* kScanAbortedText = "Scanning process aborted.";
inline constexpr const char* kNoObjectsText =
    "Either it is not valid mdf file or highly corrupted, select another file to recover.";
inline constexpr const char* kVersionLinePrefix = "Database version: ";
inline constexpr const char* kCollationLinePrefix = "Collation Type: ";
inline constexpr const char* kUnknownCollationText = "Unknown Collation";
inline constexpr const char* kRepairDatabaseName = "RepairDataBase";
inline constexpr const char* kTreeFailedText =
    "Whether it is not valid mdf file or highly corrupted, select another file to recover.";
inline constexpr const char* kScanCompletedCaption = "Scanning completed for selected mdf file";
inline constexpr const char* kScanCompletedLine = "Scanning completed for selected mdf file.";
inline constexpr const char* kScanProcessCompletedText = "Scanning process completed.";
inline constexpr const char* kSavingSnapshotText = "Saving Snapshot..Please wait....";
inline constexpr const char* kSnapshotSavedText = "Snapshot Saved successfully in path ";
inline constexpr const char* kSnapshotNotSavedText = "Snapshot cannot be saved.";
inline constexpr const char* kNothingToSaveText =
    "No scan has read a data file yet: open one before saving a snapshot.";
inline constexpr const char* kUnsupportedPageSizeText =
    "This file was written with 2 KB pages (SQL Server 6.5 or older), which cannot be read.";

// Where RunScan ended.
enum class ScanOutcome {
  kAborted,     // the data file could not be used
  kNoObjects,   // the catalog holds no object
  kTreeFailed,  // the object tree could not be built from the catalog
  kCompleted,   // the tree is built and the module texts are read
};

// A table pager's reports, as the window takes them: the caption bar and the
// log pane through the events, the scan log file directly.
class SessionPagerReport : public PagerReport {
 public:
  explicit SessionPagerReport(ScanLog& log) : log_(log) {}
  void SetEvents(ScanEvents* events) { events_ = events; }
  void Caption(std::string_view text) override;
  void LogPane(std::string_view text) override;
  void LogFile(std::string_view text) override;

 private:
  ScanLog& log_;
  ScanEvents* events_ = nullptr;
};

class ScanSession {
 public:
  ScanOptions options;
  // Collation ids with their names and code pages, loaded once by the shell.
  CollationTable collations;

  // The headless part of Open, after the options were confirmed: refuses with
  // kBusyText while a job runs; otherwise waits for a stopped worker to wind
  // down, marks the session busy, opens a new scan log in the options' log
  // folder (none when the folder is empty), logs the selected file and resets the previous scan.
  // The caller then runs RunScan (on a worker thread in a window).
  Status BeginScan(ScanEvents& events, const std::tm& localTime);

  // The headless part of Load Snapshot: refuses with kBusyText while a job
  // runs; otherwise marks the session busy, opens a new scan log in
  // logFolder (none when empty), enters snapshot mode and takes the data file
  // path and the reading options from the snapshot. A snapshot that cannot be
  // opened leaves the data path empty, and the scan then fails to open it.
  // The caller then runs RunScan.
  Status BeginSnapshotScan(const std::string& snapshotPath, const std::string& logFolder,
                           ScanEvents& events, const std::tm& localTime);

  // Save Snapshot: writes the inventory of the last scan with its settings.
  // Refuses with kBusyText while a job runs and with kNothingToSaveText when
  // no scan has opened a data file; kSnapshotNotSavedText when writing fails.
  Status SaveSnapshot(const std::string& snapshotPath, ScanEvents& events);

  // The scan worker. Returns where it ended; busy is cleared either way.
  ScanOutcome RunScan(ScanEvents& events);

  // The object viewer for an item of the tree: a table's keys, constraints
  // and columns are added below it the first time it is opened; then what
  // the main view shows is decided. Refused with kBusyText while a job runs.
  // The table's pager reports its rows through events (caption, log pane)
  // and the scan log file, now and on its later pages: events must outlive
  // the outcome's table.
  Result<ViewerOutcome> ShowTreeItem(TreeItemId item, ScanEvents& events);

  // Stop: busy is cleared at once and long loops end at their next poll.
  void RequestStop();

  // Drops everything the previous scan built.
  void ResetScan();

  bool busy() const { return busy_.load(); }
  StopFlag& stopFlag() { return stop_; }
  const ScanLog& scanLog() const { return log_; }
  const DatabaseFile* databaseFile() const { return databaseFile_.get(); }
  const Catalog* catalog() const { return catalog_.get(); }
  // The label of the object tree's root: the database name, or "RepairDataBase".
  const std::string& rootName() const { return rootName_; }
  const ObjectTree& tree() const { return tree_; }
  ModuleTexts& moduleTexts() { return moduleTexts_; }
  ObjectTree& tree() { return tree_; }
  bool advancedMode() const { return advancedMode_; }
  // The catalog's layout flag shares its byte with the "Is SQL 2000" option:
  // a scan clears it and the catalog sets it from what it finds.
  bool sql2000Layout() const { return options.isSql2000 != 0; }
  const std::string& versionName() const { return versionName_; }
  const CollationResult& collation() const { return collation_; }
  bool snapshotMode() const { return snapshotMode_; }
  const std::string& snapshotPath() const { return snapshotPath_; }
  const std::string& dataFilePath() const { return dataFilePath_; }

 private:
  bool OpenAndScan(const std::string& path, ScanEvents& events);
  // Version, collation and root name from the boot page; false when the file
  // uses a page size that cannot be read.
  bool ReadDatabaseInfo(ScanEvents& events);
  // The tree from the catalog; false when the catalog has no named object.
  bool BuildTree(ScanEvents& events);
  RecordOptions MakeRecordOptions();
  void LogLine(std::string_view text, ScanEvents& events);
  void Finish(ScanEvents& events);

  std::atomic<bool> busy_{false};
  StopFlag stop_;
  std::mutex workerMutex_;  // held by RunScan: a new scan waits for the old worker
  ScanLog log_;
  std::string versionName_;
  CollationResult collation_;
  bool snapshotMode_ = false;
  std::string snapshotPath_;
  std::string snapshotDataPath_;
  std::string dataFilePath_;
  bool advancedMode_ = false;
  std::unique_ptr<DatabaseFile> databaseFile_;
  std::unique_ptr<Catalog> catalog_;
  std::string rootName_;
  ObjectTree tree_;
  ModuleTexts moduleTexts_;
  SessionPagerReport pagerReport_{log_};
};

}  // namespace tessaril
