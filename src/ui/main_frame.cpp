#include "ui/main_frame.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QStatusBar>
#include <QVBoxLayout>
#include <filesystem>

#include "ui/ui_texts.h"

namespace tessaril::ui {

namespace {

QDockWidget* FixedDock(const QString& title, const QString& name, QWidget* content,
                       QWidget* parent) {
  auto* dock = new QDockWidget(title, parent);
  dock->setObjectName(name);
  dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
  dock->setWidget(content);
  return dock;
}

}  // namespace

CMainFrame::CMainFrame(CollationTable collations, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), prompts_(prompts) {
  setObjectName("CMainFrame");
  setWindowTitle(QString("%1 %2").arg(kApplicationTitle, TESSARIL_VERSION));
  setWindowIcon(QIcon(":/icons/tessaril.svg"));
  session_.SetCollations(std::move(collations));

  auto* top = new QWidget(this);
  auto* column = new QVBoxLayout(top);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  ribbon_ = new RibbonBar(top);
  caption_ = new CMyCaptionBar(top);
  column->addWidget(ribbon_);
  column->addWidget(caption_);
  setMenuWidget(top);

  CreateStatusBar();
  CreatePanes();
  view_ = new CVantorStatic(this);
  setCentralWidget(view_);

  ConnectReports();
  ConnectCommands();
  caption_->SetCaptionText(kSelectMdfCaptionText);
  SetProgressShown(false);
  RefreshCommands();
}

CMainFrame::~CMainFrame() {
  session_.RequestStop();
  workers_.JoinAll();
}

void CMainFrame::CreateStatusBar() {
  auto* link = new QLabel(QString("<a href=\"%1\">%1</a>").arg(kWebSite), this);
  link->setObjectName("statusLink");
  link->setToolTip(kProductName);
  link->setOpenExternalLinks(true);
  statusBar()->addWidget(link);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("progress");
  progress_->setRange(0, 1000);
  progress_->setTextVisible(false);
  progress_->setFixedHeight(17);
  statusBar()->addWidget(progress_, 1);
  titlePane_ = new QLabel(QString("%1 %2").arg(kApplicationTitle, TESSARIL_VERSION), this);
  titlePane_->setObjectName("titlePane");
  statusBar()->addPermanentWidget(titlePane_);
}

void CMainFrame::CreatePanes() {
  tree_ = new CFileView(this);
  tree_->setModel(&treeModel_);
  auto* treeDock = FixedDock(kTreePaneTitle, "treePane", tree_, this);
  tree_->setMinimumWidth(200);
  addDockWidget(Qt::LeftDockWidgetArea, treeDock);
  resizeDocks({treeDock}, {320}, Qt::Horizontal);
  output_ = new COutputWnd(this);
  auto* outputDock = FixedDock(kOutputPaneTitle, "outputPane", output_, this);
  output_->setMinimumHeight(100);
  addDockWidget(Qt::BottomDockWidgetArea, outputDock);
  resizeDocks({outputDock}, {180}, Qt::Vertical);
  // The tree runs the full height; Output sits under the main view.
  setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
}

void CMainFrame::ConnectReports() {
  const auto queued = Qt::QueuedConnection;
  connect(
      &signals_, &FrameSignals::progressPos, this,
      [this](quint64 job, int thousandths) {
        if (Current(job)) progress_->setValue(thousandths);
      },
      queued);
  connect(
      &signals_, &FrameSignals::progressVisible, this,
      [this](quint64 job, bool visible) {
        if (Current(job)) SetProgressShown(visible);
      },
      queued);
  connect(
      &signals_, &FrameSignals::statusText, this,
      [this](quint64 job, const QString& text) {
        if (Current(job)) view_->ShowText(text);
      },
      queued);
  connect(&signals_, &FrameSignals::fatal, this, &CMainFrame::OnFatal, queued);
  // Every line reaches the Output pane, even from a job that was stopped.
  connect(
      &signals_, &FrameSignals::logLine, this,
      [this](quint64, const QString& text) { output_->AppendLogLine(text); }, queued);
  connect(
      &signals_, &FrameSignals::captionText, this,
      [this](quint64 job, const QString& text) {
        if (Current(job)) caption_->SetCaptionText(text);
      },
      queued);
  connect(
      &signals_, &FrameSignals::informationBox, this,
      [this](quint64 job, const QString& text) {
        if (Current(job)) prompts_.Information(this, text);
      },
      queued);
  connect(
      &signals_, &FrameSignals::clearViews, this,
      [this](quint64 job) {
        if (!Current(job)) return;
        treeModel_.Clear();
        view_->Reset();
      },
      queued);
  connect(
      &signals_, &FrameSignals::jobEnded, this, [this](quint64) { RefreshCommands(); }, queued);
  connect(
      &signals_, &FrameSignals::scanEnded, this,
      [this](quint64 job) {
        RefreshCommands();
        if (Current(job)) ShowPublishedTree();
      },
      queued);
  connect(&signals_, &FrameSignals::viewerShown, this, &CMainFrame::OnViewerShown, queued);
  connect(&signals_, &FrameSignals::pageLoaded, this, &CMainFrame::OnPageLoaded, queued);
  connect(
      &signals_, &FrameSignals::snapshotSaved, this,
      [this](quint64 job, const QString& error) {
        RefreshCommands();
        // The session has shown its own box unless the save never began.
        if (Current(job) && !error.isEmpty() && error != kSnapshotNotSavedText) {
          prompts_.Information(this, error);
        }
      },
      queued);
  connect(&signals_, &FrameSignals::exportEnded, this, &CMainFrame::OnExportEnded, queued);
}

void CMainFrame::ConnectCommands() {
  const std::pair<Command, void (CMainFrame::*)()> commands[] = {
      {Command::kOpen, &CMainFrame::Open},
      {Command::kStop, &CMainFrame::Stop},
      {Command::kSaveSqlData, &CMainFrame::SaveSqlData},
      {Command::kSaveCsvData, &CMainFrame::SaveCsvData},
      {Command::kLoadSnapshot, &CMainFrame::LoadSnapshot},
      {Command::kSaveSnapshot, &CMainFrame::SaveSnapshot},
      {Command::kHelp, &CMainFrame::Help},
      {Command::kAbout, &CMainFrame::About},
  };
  for (const auto& [command, handler] : commands) {
    connect(ribbon_->action(command), &QAction::triggered, this, handler);
  }
  connect(ribbon_->exitAction(), &QAction::triggered, this, &QWidget::close);
  connect(tree_, &CFileView::labelClicked, this, &CMainFrame::OpenTreeItem);
  connect(view_, &CVantorStatic::nextClicked, this, &CMainFrame::NextRecords);
  connect(view_, &CVantorStatic::previousClicked, this, &CMainFrame::PreviousRecords);
}

std::shared_ptr<UiEvents> CMainFrame::NewJob(StatusTarget status) {
  return std::make_shared<UiEvents>(signals_, ++job_, status);
}

void CMainFrame::RefreshCommands() { ribbon_->action(Command::kStop)->setEnabled(session_.busy()); }

void CMainFrame::SetProgressShown(bool shown) {
  progress_->setValue(0);
  progress_->setVisible(shown);
}

bool CMainFrame::RefuseWhileBusy(const char* text) {
  if (!session_.busy()) return false;
  prompts_.Information(this, text);
  return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (RefuseWhileBusy(kStopToCloseText)) return;
  if (!prompts_.Question(this, kCloseQuestionText)) return;
  const ScanLog& log = session_.scanLog();
  std::error_code ec;
  if (!log.path().empty() && std::filesystem::exists(log.path(), ec)) {
    prompts_.Information(this, kLogFilePathPrefix + ToQString(log.path()));
  }
  event->accept();
}

void CMainFrame::OnFatal(quint64 job, const QString& text) {
  if (!Current(job)) return;
  progress_->setValue(0);
  view_->textView().clear();
  prompts_.Error(this, text);
}

}  // namespace tessaril::ui
