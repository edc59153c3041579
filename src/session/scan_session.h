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
#include "session/scan_events.h"
#include "session/scan_log.h"
#include "session/scan_options.h"
#include "storage/database_file.h"
#include "values/collation_lookup.h"

namespace tessaril {

inline constexpr const char* kBusyText = "Please wait for the running process.";
inline constexpr const char* kStopQuestionText = "Are you sure to stop the running process?";
inline constexpr const char* kSelectedForRecoveryText = " File is selected for recovery....";
inline constexpr const char* kBrowseFilePathText = "Browse File Path:\t";
inline constexpr const char* kAdvancedModeText = "Advanced mode is selected for file recovery.";
inline constexpr const char* kStandardModeText = "Standard mode is selected for file recovery.";
inline constexpr const char* kScanStartsText = "Scanning of file starts...";
inline constexpr const char* kScanAbortedText = "Scanning process aborted.";

// Where RunScan ended.
enum class ScanOutcome {
  kAborted,  // the data file could not be used
  kOpened,   // the file set is open and its pages are mapped
};

class ScanSession {
 public:
  ScanOptions options;

  // The headless part of Open, after the options were confirmed: refuses with
  // kBusyText while a job runs; otherwise waits for a stopped worker to wind
  // down, marks the session busy, opens a new scan log in the options' log
  // folder (none when the folder is empty), logs the selected file and resets the previous scan.
  // The caller then runs RunScan (on a worker thread in a window).
  Status BeginScan(ScanEvents& events, const std::tm& localTime);

  // The scan worker. Returns where it ended; busy is cleared either way.
  ScanOutcome RunScan(ScanEvents& events);

  // Stop: busy is cleared at once and long loops end at their next poll.
  void RequestStop();

  // Drops everything the previous scan built.
  void ResetScan();

  bool busy() const { return busy_.load(); }
  StopFlag& stopFlag() { return stop_; }
  const ScanLog& scanLog() const { return log_; }
  const DatabaseFile* databaseFile() const { return databaseFile_.get(); }
  bool advancedMode() const { return advancedMode_; }
  // The catalog's layout flag shares its byte with the "Is SQL 2000" option:
  // a scan clears it and the catalog sets it from what it finds.
  bool sql2000Layout() const { return options.isSql2000 != 0; }
  const std::string& versionName() const { return versionName_; }
  const CollationResult& collation() const { return collation_; }
  bool snapshotMode() const { return snapshotMode_; }
  const std::string& dataFilePath() const { return dataFilePath_; }

 private:
  bool OpenAndScan(const std::string& path, ScanEvents& events);
  void LogLine(std::string_view text, ScanEvents& events);
  void Finish(ScanEvents& events);

  std::atomic<bool> busy_{false};
  StopFlag stop_;
  std::mutex workerMutex_;  // held by RunScan: a new scan waits for the old worker
  ScanLog log_;
  std::string versionName_;
  CollationResult collation_;
  bool snapshotMode_ = false;
  std::string snapshotDataPath_;
  std::string dataFilePath_;
  bool advancedMode_ = false;
  std::unique_ptr<DatabaseFile> databaseFile_;
};

}  // namespace tessaril
