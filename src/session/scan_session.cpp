#include "session/scan_session.h"

namespace tessaril {

Status ScanSession::BeginScan(ScanEvents& events, const std::tm& localTime) {
  if (busy_.load()) return Error{kBusyText};
  std::lock_guard<std::mutex> wait(workerMutex_);
  busy_.store(true);
  dataFilePath_ = options.dataFilePath;
  events.ClearViews();
  events.CaptionText(dataFilePath_);
  events.ProgressVisible(true);
  if (options.logFolder.empty()) {
    log_.Close();
  } else {
    log_.Open(options.logFolder, localTime);
  }
  LogLine(dataFilePath_ + kSelectedForRecoveryText, events);
  snapshotMode_ = false;
  ResetScan();
  return {};
}

void ScanSession::RequestStop() {
  busy_.store(false);
  stop_.Request();
}

void ScanSession::ResetScan() { databaseFile_.reset(); }

void ScanSession::LogLine(std::string_view text, ScanEvents& events) {
  log_.Line(text);
  events.LogLine(text);
}

void ScanSession::Finish(ScanEvents& events) {
  busy_.store(false);
  events.ProgressVisible(false);
}

ScanOutcome ScanSession::RunScan(ScanEvents& events) {
  std::lock_guard<std::mutex> running(workerMutex_);
  options.isSql2000 = 0;
  ResetScan();
  const std::string path = snapshotMode_ ? snapshotDataPath_ : dataFilePath_;
  if (!path.empty()) LogLine(kBrowseFilePathText + path + "\r\n", events);
  advancedMode_ = options.recoveryMode == kAdvancedMode;
  LogLine(advancedMode_ ? kAdvancedModeText : kStandardModeText, events);
  LogLine(kScanStartsText, events);
  if (!OpenAndScan(path, events)) {
    events.ClearViews();
    Finish(events);
    LogLine(kScanAbortedText, events);
    events.InformationBox(kScanAbortedText);
    return ScanOutcome::kAborted;
  }
  Finish(events);
  return ScanOutcome::kOpened;
}

bool ScanSession::OpenAndScan(const std::string& path, ScanEvents& events) {
  Result<std::unique_ptr<DatabaseFile>> opened =
      DatabaseFile::Open(path, advancedMode_, events, stop_);
  if (!opened) {
    events.ProgressPos(0);
    events.Fatal(opened.failure().message, opened.failure().detail);
    return false;
  }
  databaseFile_ = std::move(opened).value();
  return true;
}

}  // namespace tessaril
