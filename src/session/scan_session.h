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
#include "session/job_gate.h"
#include "session/object_tree.h"
#include "session/object_viewer.h"
#include "session/scan_events.h"
#include "session/scan_log.h"
#include "session/scan_options.h"
#include "session/scan_result.h"
#include "session/session_texts.h"
#include "session/table_reader.h"
#include "storage/database_file.h"
#include "values/collation_lookup.h"
#include "values/collation_table.h"

namespace tessaril {

// The object tree as the last job left it, for a shell to show. The scan
// number changes with every scan, so a shell knows a new tree from a grown one.
struct PublishedTree {
  std::uint64_t scanNumber = 0;
  ObjectTree tree;
};

// Where RunScan ended.
enum class ScanOutcome {
  kAborted,     // the data file could not be used
  kNoObjects,   // the catalog holds no object
  kTreeFailed,  // the object tree could not be built from the catalog
  kCompleted,   // the tree is built and the module texts are read
  kStopped,     // stopped by the user after the catalog was read: what was read is kept
};

// A scan the shell asked for, as it was asked: what RunScan works from.
struct ScanJob {
  JobTicket ticket;
  ScanOptions options;  // the options confirmed for this scan
  std::tm logTime{};    // names the scan log
  bool snapshotMode = false;
  std::string snapshotPath;      // snapshot mode: the snapshot read
  std::string snapshotDataPath;  // snapshot mode: the data file it names
};

// The state of the current scan and the jobs that work on it. One job runs
// at a time (scan, object viewer, Next and Previous Records, snapshot save
// and load, export): each acquires busy in one step and is refused with
// kBusyText otherwise. The Begin calls are cheap and meant for the
// user-interface thread; the jobs themselves (RunScan, and every call that
// takes a ticket) run on a worker, since a job may first wait for a stopped
// worker to wind down.
class ScanSession {
 public:
  // The options of the next Open, as the options dialog leaves them.
  ScanOptions options;

  // The collation table the shell loaded (collation.txt beside the program).
  void SetCollations(CollationTable table);
  const CollationTable& collations() const { return *collations_; }

  // Open: takes busy for a scan with the current options, or refuses with
  // kBusyText. RunScan then does the rest.
  Result<ScanJob> BeginScan(const std::tm& localTime);
  // Load Snapshot: the same, in snapshot mode: the data file path and the
  // reading options come from the snapshot (a snapshot that cannot be read
  // leaves the path empty, and the scan then fails to open it).
  Result<ScanJob> BeginSnapshotScan(const std::string& snapshotPath, const std::string& logFolder,
                                    const std::tm& localTime);

  // The scan worker: resets the previous scan, opens a new scan log, logs
  // the selected file, opens the file, rebuilds the catalog and the tree and
  // reads the module texts. Returns where it ended; busy is cleared either way.
  ScanOutcome RunScan(const ScanJob& job, ScanEvents& events);

  // A job of the shell's own (an export, say): acquire on the UI thread,
  // then run on a worker with RunJob. The stop request is cleared when it ends.
  std::optional<JobTicket> TryBeginJob() { return gate_.TryAcquire(); }
  template <class Job>
  auto RunJob(JobTicket ticket, Job&& job) -> decltype(job()) {
    return gate_.Run(ticket, std::forward<Job>(job));
  }

  // Save Snapshot: writes the inventory of the last scan with its settings.
  // Refuses with kBusyText while a job runs, with kNothingToSaveText when no
  // scan has opened a data file, and when the path is one of the scan's data
  // files; kSnapshotNotSavedText when writing fails. Runs on the caller's
  // thread, after any stopped worker has ended.
  Status SaveSnapshot(const std::string& snapshotPath, ScanEvents& events);

  // The object viewer for an item of the tree: a table's keys, constraints
  // and columns are added below it the first time it is opened; then what
  // the main view shows is decided. Refused with kBusyText while a job runs.
  // The outcome's table keeps the scan it was read from.
  Result<ViewerOutcome> ShowTreeItem(TreeItemId item, ScanEvents& events);
  ViewerOutcome ShowTreeItem(JobTicket ticket, TreeItemId item, ScanEvents& events);

  // Next Records and Previous Records on a table the viewer showed: jobs
  // like any other. The captions and per-row lines go to events and the
  // scan log.
  Result<GridPage> NextRecords(TableReader& table, ScanEvents& events);
  Result<GridPage> PreviousRecords(TableReader& table, ScanEvents& events);
  GridPage NextRecords(JobTicket ticket, TableReader& table, ScanEvents& events);
  GridPage PreviousRecords(JobTicket ticket, TableReader& table, ScanEvents& events);

  // Stop: busy is cleared at once and long loops end at their next poll.
  void RequestStop() { gate_.Stop(); }

  bool busy() const { return gate_.busy(); }
  StopFlag& stopFlag() { return gate_.stopFlag(); }
  const ScanLog& scanLog() const { return log_; }
  // What the last scan built; null before any scan and after a failed one.
  ScanSnapshot current() const;
  // The object tree and the module texts of the last scan: jobs change
  // them, so the shell reads them between jobs.
  const ObjectTree& tree() const { return tree_; }
  // A copy of the tree taken at the end of every job, before busy is
  // released: safe to read from any thread at any time.
  std::shared_ptr<const PublishedTree> publishedTree() const;
  ObjectTree& tree() { return tree_; }
  ModuleTexts& moduleTexts() { return moduleTexts_; }
  const std::string& versionName() const { return versionName_; }
  const CollationResult& collation() const { return collation_; }
  // The options the last scan ran with (the layout flag as the catalog found it).
  const ScanOptions& scanOptions() const { return scanOptions_; }

 private:
  bool OpenAndScan(const ScanJob& job, ScanEvents& events);
  // Version, collation and root name from the boot page; false when the file
  // uses a page size that cannot be read.
  bool ReadDatabaseInfo(ScanResult& result, ScanEvents& events);
  // The tree from the catalog; false when the catalog has no named object.
  bool BuildTree(const ScanResult& result, ScanEvents& events);
  void Publish(ScanSnapshot scan);
  void PublishTree();
  // Runs a job through the gate with events that also write the scan log;
  // the shell is told JobEnded once busy is released.
  template <class Job>
  auto RunReporting(JobTicket ticket, ScanEvents& shell, Job job);
  void ResetScan();
  ScanOutcome EndScan(ScanOutcome outcome, ScanEvents& events);

  JobGate gate_;
  std::shared_ptr<const CollationTable> collations_ = std::make_shared<const CollationTable>();
  ScanLog log_;
  std::string versionName_;
  CollationResult collation_;
  ScanOptions scanOptions_;
  mutable std::mutex publishMutex_;  // guards current_
  ScanSnapshot current_;
  std::shared_ptr<const PublishedTree> publishedTree_ = std::make_shared<const PublishedTree>();
  std::uint64_t scanNumber_ = 0;  // counts the scans that reset the tree
  ObjectTree tree_;
  ModuleTexts moduleTexts_;
};

}  // namespace tessaril
