#include "session/scan_session.h"

#include <filesystem>

#include "session/catalog_damage.h"
#include "session/session_events.h"
#include "storage/boot_page.h"
#include "storage/snapshot_file.h"

namespace tessaril {

template <class Job>
auto ScanSession::RunReporting(JobTicket ticket, ScanEvents& shell, Job job) {
  auto result = gate_.Run(ticket, [&] {
    auto ended = [&] {
      SessionEvents events(shell, &log_);
      return job(static_cast<ScanEvents&>(events));
    }();
    PublishTree();
    return ended;
  });
  // Told once busy is released, so that the shell may start the next job.
  shell.JobEnded();
  return result;
}

void ScanSession::SetCollations(CollationTable table) {
  collations_ = std::make_shared<const CollationTable>(std::move(table));
}

ScanSnapshot ScanSession::current() const {
  const std::lock_guard<std::mutex> lock(publishMutex_);
  return current_;
}

void ScanSession::Publish(ScanSnapshot scan) {
  const std::lock_guard<std::mutex> lock(publishMutex_);
  current_ = std::move(scan);
}

Result<ScanJob> ScanSession::BeginScan(const std::tm& localTime) {
  const std::optional<JobTicket> ticket = gate_.TryAcquire();
  if (!ticket) return Error{kBusyText};
  ScanJob job;
  job.ticket = *ticket;
  job.options = options;
  job.logTime = localTime;
  return job;
}

Result<ScanJob> ScanSession::BeginSnapshotScan(const std::string& snapshotPath,
                                               const std::string& logFolder,
                                               const std::tm& localTime) {
  const std::optional<JobTicket> ticket = gate_.TryAcquire();
  if (!ticket) return Error{kBusyText};
  if (const std::optional<SnapshotSettings> settings = ReadSnapshotSettings(snapshotPath)) {
    options.collationMode = settings->automaticCollation ? kAutomaticCollation : kManualCollation;
    if (!settings->automaticCollation) options.manualCollationId = settings->manualCollationId;
    options.isSql2000 = settings->sql2000Layout;
    options.showDeletedRecords = settings->showDeletedRecords;
    options.showAdvancedDeletedRecords = settings->showAdvancedDeletedRecords;
    options.dataFilePath = settings->dataFilePath;
  } else {
    options.dataFilePath.clear();
  }
  ScanJob job;
  job.ticket = *ticket;
  job.options = options;
  job.options.logFolder = logFolder;
  job.logTime = localTime;
  job.snapshotMode = true;
  job.snapshotPath = snapshotPath;
  job.snapshotDataPath = options.dataFilePath;
  return job;
}

std::shared_ptr<const PublishedTree> ScanSession::publishedTree() const {
  const std::lock_guard<std::mutex> lock(publishMutex_);
  return publishedTree_;
}

void ScanSession::PublishTree() {
  auto published = std::make_shared<const PublishedTree>(PublishedTree{scanNumber_, tree_});
  const std::lock_guard<std::mutex> lock(publishMutex_);
  publishedTree_ = std::move(published);
}

void ScanSession::ResetScan() {
  Publish(nullptr);
  ++scanNumber_;
  tree_.Clear();
  moduleTexts_ = ModuleTexts();
}

ScanOutcome ScanSession::EndScan(ScanOutcome outcome, ScanEvents& events) {
  events.ProgressVisible(false);
  return outcome;
}

ScanOutcome ScanSession::RunScan(const ScanJob& job, ScanEvents& shell) {
  return RunReporting(job.ticket, shell, [&](ScanEvents& events) {
    // What Open does before the worker starts is done here, once any
    // stopped worker has ended, so that the two never share the scan log,
    // the tree or the catalog.
    if (!job.snapshotMode) {
      events.ClearViews();
      events.CaptionText(job.options.dataFilePath);
    }
    events.ProgressVisible(true);
    log_.Close();
    if (!job.options.logFolder.empty()) {
      // The files the scan reads may not be the log it writes.
      ProtectedFiles inputs;
      for (const std::string& input : {job.options.dataFilePath, job.snapshotPath}) {
        if (!input.empty()) inputs.AddDataFile(input);
      }
      log_.Open(job.options.logFolder, job.logTime, inputs);
    }
    if (!job.snapshotMode) events.LogLine(job.options.dataFilePath + kSelectedForRecoveryText);
    ResetScan();
    scanOptions_ = job.options;
    scanOptions_.isSql2000 = 0;

    const std::string& path = job.snapshotMode ? job.snapshotDataPath : job.options.dataFilePath;
    if (!path.empty()) events.LogLine(kBrowseFilePathText + path + "\r\n");
    const bool advanced = job.options.recoveryMode == kAdvancedMode;
    events.LogLine(advanced ? kAdvancedModeText : kStandardModeText);
    events.LogLine(kScanStartsText);

    OpenRequest request;
    request.path = path;
    request.snapshotPath = job.snapshotMode ? job.snapshotPath : std::string();
    request.settings.advancedMode = advanced;
    request.settings.showDeletedRecords = job.options.showDeletedRecords != 0;
    request.settings.carveDeletedRecords = job.options.showAdvancedDeletedRecords != 0;
    request.settings.collation = {job.options.collationMode == kAutomaticCollation,
                                  static_cast<std::int64_t>(job.options.manualCollationId)};
    request.settings.schemaFrom = job.options.schemaFrom;
    request.collations = collations_;
    Result<std::shared_ptr<ScanResult>> opened = OpenDatabase(request, events, gate_.stopFlag());
    if (!opened) {
      events.ClearViews();
      events.ProgressVisible(false);
      events.LogLine(kScanAbortedText);
      events.InformationBox(kScanAbortedText);
      return EndScan(ScanOutcome::kAborted, events);
    }
    std::shared_ptr<ScanResult> result = std::move(opened).value();
    scanOptions_.isSql2000 = result->catalog.sql2000Layout ? 1 : 0;
    if (result->catalog.objects.empty()) {
      events.LogLine(kNoObjectsText);
      events.ClearViews();
      return EndScan(ScanOutcome::kNoObjects, events);
    }
    if (!ReadDatabaseInfo(*result, events)) {
      events.ClearViews();
      return EndScan(ScanOutcome::kAborted, events);
    }
    for (const std::string& line : CatalogDamageLines(*result)) events.LogLine(line);
    if (!BuildTree(*result, events)) {
      tree_.Clear();
      events.ClearViews();
      events.ProgressVisible(false);
      events.LogLine(kTreeFailedText);
      events.InformationBox(kTreeFailedText);
      return EndScan(ScanOutcome::kTreeFailed, events);
    }
    tree_.SortChildren(tree_.folder(TreeFolder::kUserTables));
    moduleTexts_ = RetrieveModuleTexts({*result->db, result->catalog, gate_.stopFlag(), &events});
    Publish(std::move(result));
    events.ProgressVisible(false);
    // Stop lets go of the gate at once: a scan that no longer holds it was
    // stopped somewhere on the way, and may have read only part of the file.
    if (!gate_.Holds(job.ticket)) {
      events.CaptionText(kScanStoppedCaption);
      events.LogLine(kScanStoppedLine);
      return EndScan(ScanOutcome::kStopped, events);
    }
    events.CaptionText(kScanCompletedCaption);
    events.LogLine(kScanCompletedLine);
    events.InformationBox(kScanProcessCompletedText);
    return EndScan(ScanOutcome::kCompleted, events);
  });
}

bool ScanSession::ReadDatabaseInfo(ScanResult& result, ScanEvents& events) {
  if (result.unsupportedPageSize) {
    events.LogLine(kUnsupportedPageSizeText);
    return false;
  }
  // The version name and the collation stay from an earlier scan when this
  // file's boot page cannot be read.
  if (result.bootPageRead) versionName_ = result.versionName;
  if (versionName_.empty()) versionName_ = kUnknownVersionName;
  events.LogLine(kVersionLinePrefix + versionName_);
  if (result.collation.found) collation_ = result.collation;
  if (collation_.name.empty()) collation_.name = kUnknownCollationText;
  events.LogLine(kCollationLinePrefix + collation_.name);
  result.versionName = versionName_;
  result.collation = collation_;
  return true;
}

bool ScanSession::BuildTree(const ScanResult& result, ScanEvents& events) {
  tree_.CreateFixedItems(result.rootName);
  return tree_.Fill(result.catalog, *result.db, result.Records(&gate_.stopFlag()), events,
                    gate_.stopFlag());
}

Status ScanSession::SaveSnapshot(const std::string& snapshotPath, ScanEvents& shell) {
  const std::optional<JobTicket> ticket = gate_.TryAcquire();
  if (!ticket) return Error{kBusyText};
  return RunReporting(*ticket, shell, [&](ScanEvents& events) -> Status {
    const ScanSnapshot scan = current();
    if (!scan) return Error{kNothingToSaveText};
    events.LogLine(kSavingSnapshotText);
    SnapshotSettings settings;
    // A relative path would tie the snapshot to the folder it was saved from.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(scan->db->path(), ec);
    settings.dataFilePath = ec ? scan->db->path() : absolute.string();
    settings.advancedMode = scan->settings.advancedMode;
    settings.automaticCollation = scanOptions_.collationMode == kAutomaticCollation;
    settings.manualCollationId = scanOptions_.manualCollationId;
    settings.sql2000Layout = scan->catalog.sql2000Layout ? 1 : 0;
    settings.showDeletedRecords = scanOptions_.showDeletedRecords;
    settings.showAdvancedDeletedRecords = scanOptions_.showAdvancedDeletedRecords;
    Result<OutputFile> out = OutputFile::Begin(snapshotPath, scan->protectedFiles);
    std::string reason = out ? std::string() : out.error();
    bool saved = out && WriteSnapshot(out->temporaryPath(), settings, scan->db->inventory());
    if (saved) {
      const Status committed = out->Commit();
      saved = committed.ok();
      if (!saved) reason = committed.failure().detail;
    }
    const std::string text = saved ? kSnapshotSavedText + snapshotPath : kSnapshotNotSavedText;
    events.LogLine(text);
    events.InformationBox(text);
    if (!saved) return Error{kSnapshotNotSavedText, reason.empty() ? snapshotPath : reason};
    return {};
  });
}

Result<ViewerOutcome> ScanSession::ShowTreeItem(TreeItemId id, ScanEvents& events) {
  const std::optional<JobTicket> ticket = gate_.TryAcquire();
  if (!ticket) return Error{kBusyText};
  return ShowTreeItem(*ticket, id, events);
}

ViewerOutcome ScanSession::ShowTreeItem(JobTicket ticket, TreeItemId id, ScanEvents& shell) {
  return RunReporting(ticket, shell, [&](ScanEvents& events) {
    const ScanSnapshot scan = current();
    if (!scan || id >= tree_.size()) return ViewerOutcome();
    ViewerSource source;
    source.scan = scan;
    source.moduleTexts = &moduleTexts_;
    source.stop = &gate_.stopFlag();
    source.events = &events;
    // A table's keys, constraints and columns join the tree the first time
    // it is opened, from the layout the viewer builds for it.
    source.tableLaidOut = [this, id](const TableLayout& layout) {
      tree_.BuildTableSubtree(id, layout);
    };
    return ShowObject(source, SelectedItemOf(tree_, id));
  });
}

Result<GridPage> ScanSession::NextRecords(TableReader& table, ScanEvents& events) {
  const std::optional<JobTicket> ticket = gate_.TryAcquire();
  if (!ticket) return Error{kBusyText};
  return NextRecords(*ticket, table, events);
}

Result<GridPage> ScanSession::PreviousRecords(TableReader& table, ScanEvents& events) {
  const std::optional<JobTicket> ticket = gate_.TryAcquire();
  if (!ticket) return Error{kBusyText};
  return PreviousRecords(*ticket, table, events);
}

GridPage ScanSession::NextRecords(JobTicket ticket, TableReader& table, ScanEvents& shell) {
  return RunReporting(ticket, shell, [&](ScanEvents& events) { return table.Next(events); });
}

GridPage ScanSession::PreviousRecords(JobTicket ticket, TableReader& table, ScanEvents& shell) {
  return RunReporting(ticket, shell, [&](ScanEvents& events) { return table.Previous(events); });
}

}  // namespace tessaril
