// The window's commands: each asks the session first, then starts its job
// on a worker thread and returns at once.
#include <ctime>

#include "export/export_summary.h"
#include "session/export_selection.h"
#include "session/session_events.h"
#include "ui/about_dlg.h"
#include "ui/export_dlg.h"
#include "ui/file_setting_dlg.h"
#include "ui/help_page.h"
#include "ui/main_frame.h"
#include "ui/ui_texts.h"

namespace tessaril::ui {

namespace {

std::tm LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

}  // namespace

void CMainFrame::Open() { OpenSuggesting({}); }

void CMainFrame::OpenSuggesting(const QString& file) {
  if (RefuseWhileBusy(kBusyText)) return;
  CVantorFileSettingDlg dialog(session_.options, session_.collations(), prompts_, this);
  if (!file.isEmpty()) dialog.dataFilePath().setText(file);
  if (!prompts_.Run(dialog)) return;
  const Result<ScanJob> job = session_.BeginScan(LocalTimeNow());
  if (!job) {
    prompts_.Information(this, ToQString(job.error()));
    return;
  }
  caption_->SetCaptionText(ToQString(job->options.dataFilePath));
  StartScan(*job);
}

void CMainFrame::LoadSnapshot() {
  if (RefuseWhileBusy(kBusyText)) return;
  const QString path = prompts_.OpenFile(this, "Load Snapshot", kSnapshotFilter);
  if (path.isEmpty()) return;
  const Result<ScanJob> job = session_.BeginSnapshotScan(
      path.toStdString(), SnapshotLogFolder(session_.options), LocalTimeNow());
  if (!job) {
    prompts_.Information(this, ToQString(job.error()));
    return;
  }
  StartScan(*job);
}

void CMainFrame::StartScan(const ScanJob& job) {
  treeModel_.Clear();
  view_->Reset();
  table_.reset();
  shownItem_ = kNoTreeItem;
  SetProgressShown(true);
  RefreshCommands();
  auto events = NewJob();
  // A stopped worker may still be winding down: the new one waits for it.
  workers_.Start([this, events, job] {
    session_.RunScan(job, *events);
    emit signals_.scanEnded(events->job());
  });
}

void CMainFrame::Stop() {
  if (!session_.busy()) return;
  if (!prompts_.Question(this, kStopQuestionText)) return;
  session_.RequestStop();
  RefreshCommands();
}

void CMainFrame::OpenTreeItem(const QModelIndex& index) {
  const TreeItemId id = treeModel_.IdOf(index);
  const std::optional<JobTicket> ticket = session_.busy() ? std::nullopt : session_.TryBeginJob();
  if (!ticket) {
    // The highlight goes back to the item shown.
    tree_->setCurrentIndex(treeModel_.IndexOf(shownItem_));
    prompts_.Information(this, kBusyText);
    return;
  }
  shownItem_ = id;
  view_->Reset();
  caption_->SetCaptionText(index.data().toString());
  SetProgressShown(true);
  RefreshCommands();
  auto events = NewJob();
  workers_.Start([this, events, ticket, id] {
    auto outcome = std::make_shared<ViewerOutcome>(session_.ShowTreeItem(*ticket, id, *events));
    emit signals_.viewerShown(events->job(), outcome);
  });
}

void CMainFrame::NextRecords() { StartPageLoad(true); }

void CMainFrame::PreviousRecords() { StartPageLoad(false); }

void CMainFrame::StartPageLoad(bool next) {
  if (RefuseWhileBusy(kBusyText) || !table_) return;
  const std::optional<JobTicket> ticket = session_.TryBeginJob();
  if (!ticket) {
    prompts_.Information(this, kBusyText);
    return;
  }
  view_->SetPageLabel(QString());
  SetProgressShown(true);
  RefreshCommands();
  auto events = NewJob();
  // The worker keeps the table alive whatever the window shows meanwhile.
  workers_.Start([this, events, ticket, next, table = table_] {
    GridPage page = next ? session_.NextRecords(*ticket, *table, *events)
                         : session_.PreviousRecords(*ticket, *table, *events);
    auto view = std::make_shared<PageView>(ViewOfPage(table->pager(), std::move(page)));
    emit signals_.pageLoaded(events->job(), view);
  });
}

void CMainFrame::SaveSnapshot() {
  if (RefuseWhileBusy(kBusyText)) return;
  QString path = prompts_.SaveFile(this, "Save Snapshot", kSnapshotFilter);
  if (path.isEmpty()) return;
  if (!path.endsWith(QString(".") + kSnapshotSuffix, Qt::CaseInsensitive)) {
    path += QString(".") + kSnapshotSuffix;
  }
  auto events = NewJob();
  workers_.Start([this, events, target = path.toStdString()] {
    const Status saved = session_.SaveSnapshot(target, *events);
    emit signals_.snapshotSaved(events->job(),
                                saved ? QString() : ToQString(saved.failure().message));
  });
  RefreshCommands();
}

void CMainFrame::SaveSqlData() {
  if (RefuseWhileBusy(kBusyText)) return;
  const ScanSnapshot scan = session_.current();
  const std::vector<std::string> tables =
      scan ? CheckedTableNames(treeModel_.tree(), scan->catalog) : std::vector<std::string>();
  if (treeModel_.tree().CheckedCount() == 0 || tables.empty()) {
    prompts_.Information(this, kSelectFolderText);
    return;
  }
  ExportDlg dialog(ExportFormat::kSqlScript, prompts_, this);
  if (!prompts_.Run(dialog)) return;
  ExportRequest request = dialog.Request();
  request.tables = tables;
  StartExport(std::move(request), scan);
}

void CMainFrame::SaveCsvData() {
  if (RefuseWhileBusy(kBusyText)) return;
  const ScanSnapshot scan = session_.current();
  if (treeModel_.tree().empty() || !scan) {
    prompts_.Information(this, kSelectDatabaseFileText);
    return;
  }
  ExportDlg dialog(ExportFormat::kCsv, prompts_, this);
  if (!prompts_.Run(dialog)) return;
  StartExport(dialog.Request(), scan);
}

void CMainFrame::StartExport(ExportRequest request, const ScanSnapshot& scan) {
  const std::optional<JobTicket> ticket = session_.TryBeginJob();
  if (!ticket) {
    prompts_.Information(this, kBusyText);
    return;
  }
  SetProgressShown(true);
  RefreshCommands();
  auto events = NewJob(StatusTarget::kCaption);
  workers_.Start([this, events, ticket, scan, request = std::move(request)] {
    auto done = std::make_shared<ExportDone>();
    session_.RunJob(*ticket, [&] {
      // The row loops' captions thinned, as for the session's own jobs.
      SessionEvents thinned(*events, nullptr);
      const Result<ExportSummary> summary = RunExport(scan, request, thinned, session_.stopFlag());
      done->ok = summary.ok();
      if (summary) {
        done->lines = ExportSummaryLines(*summary, request, scan->settings.showDeletedRecords);
      } else {
        done->error = summary.failure().message;
      }
    });
    emit signals_.exportEnded(events->job(), done);
  });
}

void CMainFrame::Help() {
  if (RefuseWhileBusy(kStopToContinueText)) return;
  if (!OpenHelpPage()) prompts_.Information(this, "The help page could not be opened.");
}

void CMainFrame::About() {
  if (RefuseWhileBusy(kStopToContinueText)) return;
  CVantorAboutDlg dialog(this);
  prompts_.Run(dialog);
}

}  // namespace tessaril::ui
