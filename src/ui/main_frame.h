// The window: ribbon, caption bar, the object tree and Output panes, the
// main view and the status bar. It owns the widgets and the worker threads
// and asks the session for every decision.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <memory>

#include "export/export_job.h"
#include "session/scan_session.h"
#include "ui/caption_bar.h"
#include "ui/file_view.h"
#include "ui/frame_signals.h"
#include "ui/object_tree_model.h"
#include "ui/output_wnd.h"
#include "ui/prompts.h"
#include "ui/ribbon_bar.h"
#include "ui/ui_events.h"
#include "ui/vantor_static.h"
#include "ui/worker_threads.h"

namespace tessaril::ui {

class CMainFrame final : public QMainWindow {
  Q_OBJECT

 public:
  CMainFrame(CollationTable collations, Prompts& prompts, QWidget* parent = nullptr);
  ~CMainFrame() override;

  // The commands of the ribbon.
  void Open();
  // Open with the options dialog's file already filled in: a file given on
  // the command line.
  void OpenSuggesting(const QString& file);
  void Stop();
  void SaveSqlData();
  void SaveCsvData();
  void LoadSnapshot();
  void SaveSnapshot();
  void Help();
  void About();
  // A click on the label of a tree item, and the two page buttons.
  void OpenTreeItem(const QModelIndex& index);
  void NextRecords();
  void PreviousRecords();

  // The parts, for tests and the screenshots.
  ScanSession& session() { return session_; }
  RibbonBar& ribbon() { return *ribbon_; }
  CMyCaptionBar& captionBar() { return *caption_; }
  ObjectTreeModel& treeModel() { return treeModel_; }
  CFileView& treeView() { return *tree_; }
  COutputWnd& output() { return *output_; }
  CVantorStatic& view() { return *view_; }
  QProgressBar& progress() { return *progress_; }
  // Worker threads that have not ended.
  std::size_t runningWorkers() const { return workers_.running(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreatePanes();
  void CreateStatusBar();
  void ConnectReports();
  void ConnectCommands();

  // A job the window starts: its events, marked as the newest job.
  std::shared_ptr<UiEvents> NewJob(StatusTarget status = StatusTarget::kTextView);
  bool Current(quint64 job) const { return job == job_; }
  void StartScan(const ScanJob& job);
  void StartPageLoad(bool next);
  void StartExport(ExportRequest request, const ScanSnapshot& scan);
  bool RefuseWhileBusy(const char* text);
  void RefreshCommands();
  void SetProgressShown(bool shown);
  void ShowPublishedTree();

  // The reports of the jobs, on the user-interface thread.
  void OnFatal(quint64 job, const QString& text);
  void OnViewerShown(quint64 job, const std::shared_ptr<ViewerOutcome>& outcome);
  void OnPageLoaded(quint64 job, const std::shared_ptr<PageView>& page);
  void OnExportEnded(quint64 job, const std::shared_ptr<ExportDone>& done);

  Prompts& prompts_;
  ScanSession session_;
  FrameSignals signals_;
  quint64 job_ = 0;  // the newest job started
  ObjectTreeModel treeModel_;
  TreeItemId shownItem_ = kNoTreeItem;  // the item whose content is shown
  std::shared_ptr<TableReader> table_;  // the table Next and Previous go on with

  RibbonBar* ribbon_;
  CMyCaptionBar* caption_;
  CFileView* tree_ = nullptr;
  COutputWnd* output_ = nullptr;
  CVantorStatic* view_;
  QProgressBar* progress_ = nullptr;
  QLabel* titlePane_ = nullptr;
  // Last: the workers end before anything they report to goes.
  WorkerThreads workers_;
};

}  // namespace tessaril::ui
