#include "session/scan_session.h"

#include <filesystem>

#include "catalog/catalog_builder.h"
#include "storage/boot_page.h"
#include "storage/snapshot_file.h"

namespace tessaril {

Status ScanSession::BeginScan(ScanEvents& events, const std::tm& localTime) {
  if (busy_.load()) return Error{kBusyText};
  std::lock_guard<std::mutex> wait(workerMutex_);
  busy_.store(true);
  // A stop that ended the previous scan after its file was opened must not
  // end this one's mapping at its first page.
  stop_.Clear();
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

Status ScanSession::BeginSnapshotScan(const std::string& snapshotPath, const std::string& logFolder,
                                      ScanEvents& events, const std::tm& localTime) {
  if (busy_.load()) return Error{kBusyText};
  std::lock_guard<std::mutex> wait(workerMutex_);
  busy_.store(true);
  stop_.Clear();
  log_.Close();
  if (!logFolder.empty()) log_.Open(logFolder, localTime);
  events.ProgressVisible(true);
  snapshotMode_ = true;
  snapshotPath_.clear();
  snapshotDataPath_.clear();
  if (const std::optional<SnapshotSettings> settings = ReadSnapshotSettings(snapshotPath)) {
    snapshotPath_ = snapshotPath;
    snapshotDataPath_ = settings->dataFilePath;
    options.collationMode = settings->automaticCollation ? kAutomaticCollation : kManualCollation;
    if (!settings->automaticCollation) options.manualCollationId = settings->manualCollationId;
    options.isSql2000 = settings->sql2000Layout;
    options.showDeletedRecords = settings->showDeletedRecords;
    options.showAdvancedDeletedRecords = settings->showAdvancedDeletedRecords;
  }
  return {};
}

Status ScanSession::SaveSnapshot(const std::string& snapshotPath, ScanEvents& events) {
  if (busy_.load()) return Error{kBusyText};
  if (!databaseFile_) return Error{kNothingToSaveText};
  busy_.store(true);
  events.LogLine(kSavingSnapshotText);
  SnapshotSettings settings;
  // A relative path would tie the snapshot to the folder it was saved from.
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(databaseFile_->path(), ec);
  settings.dataFilePath = ec ? databaseFile_->path() : absolute.string();
  settings.advancedMode = advancedMode_;
  settings.automaticCollation = options.collationMode == kAutomaticCollation;
  settings.manualCollationId = options.manualCollationId;
  settings.sql2000Layout = options.isSql2000;
  settings.showDeletedRecords = options.showDeletedRecords;
  settings.showAdvancedDeletedRecords = options.showAdvancedDeletedRecords;
  const bool saved = WriteSnapshot(snapshotPath, settings, databaseFile_->inventory());
  busy_.store(false);
  const std::string text = saved ? kSnapshotSavedText + snapshotPath : kSnapshotNotSavedText;
  events.LogLine(text);
  events.InformationBox(text);
  if (!saved) return Error{kSnapshotNotSavedText, snapshotPath};
  return {};
}

void ScanSession::RequestStop() {
  busy_.store(false);
  stop_.Request();
}

void ScanSession::ResetScan() {
  tree_.Clear();
  moduleTexts_ = ModuleTexts();
  catalog_.reset();
  databaseFile_.reset();
  rootName_.clear();
}

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
  if (catalog_->objects.empty()) {
    LogLine(kNoObjectsText, events);
    events.ClearViews();
    Finish(events);
    return ScanOutcome::kNoObjects;
  }
  if (!ReadDatabaseInfo(events)) {
    events.ClearViews();
    Finish(events);
    return ScanOutcome::kAborted;
  }
  if (!BuildTree(events)) {
    tree_.Clear();
    events.ClearViews();
    Finish(events);
    LogLine(kTreeFailedText, events);
    events.InformationBox(kTreeFailedText);
    return ScanOutcome::kTreeFailed;
  }
  tree_.SortChildren(tree_.folder(TreeFolder::kUserTables));
  moduleTexts_ = RetrieveModuleTexts(
      {*databaseFile_, *catalog_, stop_, &events, [&](std::string_view t) { LogLine(t, events); }});
  Finish(events);
  events.CaptionText(kScanCompletedCaption);
  LogLine(kScanCompletedLine, events);
  events.InformationBox(kScanProcessCompletedText);
  return ScanOutcome::kCompleted;
}

void SessionPagerReport::Caption(std::string_view text) {
  if (events_ != nullptr) events_->CaptionText(text);
}

void SessionPagerReport::LogPane(std::string_view text) {
  if (events_ != nullptr) events_->LogLine(text);
}

void SessionPagerReport::LogFile(std::string_view text) { log_.Line(text); }

Result<ViewerOutcome> ScanSession::ShowTreeItem(TreeItemId id, ScanEvents& events) {
  if (busy_.load()) return Error{kBusyText};
  if (!catalog_ || !databaseFile_ || id >= tree_.size()) return ViewerOutcome();
  busy_.store(true);
  ViewerSource source;
  source.db = databaseFile_.get();
  source.catalog = catalog_.get();
  source.moduleTexts = &moduleTexts_;
  source.collations = &collations;
  source.databaseCollation = collation_;
  source.recordOptions = MakeRecordOptions();
  source.advancedMode = advancedMode_;
  source.progress = &events;
  pagerReport_.SetEvents(&events);
  source.pagerReport = &pagerReport_;
  // A table's keys, constraints and columns join the tree the first time it
  // is opened, from the layout the viewer builds for it.
  source.tableLaidOut = [this, id](const TableLayout& layout) {
    tree_.BuildTableSubtree(id, layout, catalog_->sql2000Layout);
  };
  // Lines are logged as the viewer gives them, so that the pager's end
  // message comes between the start line and the caption.
  source.logLine = [this, &events](std::string_view line) { LogLine(line, events); };
  ViewerOutcome outcome = ShowObject(source, SelectedItemOf(tree_, id));
  busy_.store(false);
  return outcome;
}

bool ScanSession::BuildTree(ScanEvents& events) {
  tree_.CreateFixedItems(rootName_);
  const TreeBuildReport report{events, [this, &events](std::string_view text) {
                                 events.CaptionText(text);
                                 LogLine(text, events);
                               }};
  return tree_.Fill(*catalog_, *databaseFile_, MakeRecordOptions(), report, stop_);
}

RecordOptions ScanSession::MakeRecordOptions() {
  RecordOptions recordOptions;
  recordOptions.showDeletedRecords = options.showDeletedRecords != 0;
  recordOptions.showAdvancedDeletedRecords = options.showAdvancedDeletedRecords != 0;
  recordOptions.stop = &stop_;
  return recordOptions;
}

bool ScanSession::ReadDatabaseInfo(ScanEvents& events) {
  const std::optional<CBootPage> boot = ReadBootPage(*databaseFile_);
  if (boot && boot->unsupportedPageSize()) {
    LogLine(kUnsupportedPageSizeText, events);
    return false;
  }
  // The version name and the collation stay from an earlier scan when this
  // file's boot page cannot be read.
  if (boot) versionName_ = boot->versionName();
  if (versionName_.empty()) versionName_ = kUnknownVersionName;
  LogLine(kVersionLinePrefix + versionName_, events);
  if (boot) {
    const CollationChoice choice{options.collationMode == kAutomaticCollation,
                                 static_cast<std::int64_t>(options.manualCollationId)};
    ApplyDatabaseCollation(collations, boot->collationId, choice, collation_);
  }
  if (collation_.name.empty()) collation_.name = kUnknownCollationText;
  LogLine(kCollationLinePrefix + collation_.name, events);
  rootName_ = catalog_->databaseName.empty() ? kRepairDatabaseName : catalog_->databaseName;
  return true;
}

bool ScanSession::OpenAndScan(const std::string& path, ScanEvents& events) {
  Result<std::unique_ptr<DatabaseFile>> opened =
      snapshotMode_
          ? DatabaseFile::OpenFromSnapshot(path, advancedMode_, snapshotPath_, events, stop_)
          : DatabaseFile::Open(path, advancedMode_, events, stop_);
  if (!opened) {
    events.ProgressPos(0);
    events.Fatal(opened.failure().message, opened.failure().detail);
    return false;
  }
  databaseFile_ = std::move(opened).value();
  catalog_ = std::make_unique<Catalog>(BuildCatalog(*databaseFile_, MakeRecordOptions(), events));
  options.isSql2000 = catalog_->sql2000Layout ? 1 : 0;
  return true;
}

}  // namespace tessaril
