// The window driven as a person drives it, over real data files: the scan,
// the tree, table pages, definitions, the busy rules, Stop, Close, the
// options dialog, snapshots, exports and the single instance.
#include <QAbstractItemModelTester>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "testing/corpus.h"
#include "ui/export_dlg.h"
#include "ui/file_setting_dlg.h"
#include "ui/help_page.h"
#include "ui/instance_lock.h"
#include "ui/window_driver.h"

namespace tessaril::ui {

namespace {

QString CorpusPath(const char* dir) {
  const auto file = testing::FindCorpusFile(dir);
  return file ? QString::fromStdString(file->path.string()) : QString();
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A dialog answer that picks an export destination and accepts.
std::function<bool(QDialog&)> ExportTo(ExportFormat format, const QString& destination) {
  return [format, destination](QDialog& dialog) {
    auto* choice = qobject_cast<ExportDlg*>(&dialog);
    if (choice == nullptr) return false;
    choice->format().setCurrentIndex(choice->format().findData(static_cast<int>(format)));
    choice->destination().setText(destination);
    choice->accept();
    return true;
  };
}

}  // namespace

class UiTest : public QObject {
  Q_OBJECT

 private:
  // A window that has scanned northwind, shared by the tests that only read.
  void ScanNorthwind() {
    northwind_ = CorpusPath("sql2008r2_northwind");
    if (northwind_.isEmpty()) QSKIP("the corpus is not here");
    prompts_ = std::make_unique<ScriptedPrompts>();
    frame_ = std::make_unique<CMainFrame>(CollationTable::LoadBesideProgram(), *prompts_);
    frame_->resize(1200, 800);
    frame_->show();
    treeTester_ = std::make_unique<QAbstractItemModelTester>(
        &frame_->treeModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    gridTester_ = std::make_unique<QAbstractItemModelTester>(
        &frame_->view().model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    StartOpen(*frame_, *prompts_, northwind_, logs_.path());
    QVERIFY(WaitIdle(*frame_));
    QCOMPARE(prompts_->lastInformation(), QString(kScanProcessCompletedText));
  }

  void OpenItem(const QModelIndex& index) {
    QVERIFY(index.isValid());
    ClickLabel(frame_->treeView(), index);
    QVERIFY(WaitIdle(*frame_));
  }

  void Page(bool next, const char* label, bool nextEnabled, bool previousEnabled) {
    CVantorStatic& view = frame_->view();
    QTest::mouseClick(next ? &view.nextButton() : &view.previousButton(), Qt::LeftButton);
    QVERIFY(WaitIdle(*frame_));
    QCOMPARE(view.pageLabel().text(), QString(label));
    QCOMPARE(view.nextButton().isEnabled(), nextEnabled);
    QCOMPARE(view.previousButton().isEnabled(), previousEnabled);
  }

  QTemporaryDir logs_;
  QTemporaryDir desktop_;
  QString northwind_;
  std::unique_ptr<ScriptedPrompts> prompts_;
  std::unique_ptr<CMainFrame> frame_;
  std::unique_ptr<QAbstractItemModelTester> treeTester_;
  std::unique_ptr<QAbstractItemModelTester> gridTester_;

 private slots:
  void initTestCase() {
    // The desktop folder is where the options dialog starts its log folder.
    qputenv("XDG_DESKTOP_DIR", desktop_.path().toUtf8());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR", QDir::tempPath());
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }

  void cleanup() {
    if (frame_) frame_->session().RequestStop();
    treeTester_.reset();
    gridTester_.reset();
    frame_.reset();
    prompts_.reset();
  }

  // The window at start, then a whole scan: the tree's folders, the Output
  // pane's lines and the caption texts.
  void scanFillsTreeOutputAndCaption() {
    ScanNorthwind();
    if (!frame_) return;
    const ObjectTreeModel& model = frame_->treeModel();
    QCOMPARE(model.rowCount(), 1);
    const QModelIndex root = model.index(0, 0);
    QCOMPARE(ChildTexts(model, root), (QStringList{"Views", "Programmability", "Tables"}));
    QCOMPARE(ChildTexts(model, FindItem(model, "Programmability")),
             (QStringList{"Triggers", "Default", "Store Procedure", "Function"}));
    QCOMPARE(ChildTexts(model, FindItem(model, "Tables")),
             (QStringList{"System Tables", "User Tables"}));
    const QModelIndex details = FindChild(model, "User Tables", "Order Details");
    QVERIFY(details.isValid());
    QVERIFY(details.data(Qt::FontRole).value<QFont>().bold());
    QCOMPARE(frame_->captionBar().text(), QString(kScanCompletedCaption));
    QVERIFY(!frame_->progress().isVisible());
    QVERIFY(!frame_->ribbon().action(Command::kStop)->isEnabled());

    const QStringList lines = frame_->output().Lines();
    QCOMPARE(lines.first(), northwind_ + kSelectedForRecoveryText);
    QVERIFY(lines.contains(kBrowseFilePathText + northwind_));
    QVERIFY(lines.contains(kStandardModeText));
    QVERIFY(lines.contains("Creating Tree........."));
    QCOMPARE(lines.last(), QString(kScanCompletedLine));
    QVERIFY(prompts_->errors.isEmpty());

    // A second scan's lines follow the first's.
    StartOpen(*frame_, *prompts_, northwind_, logs_.path(), 1);
    QVERIFY(WaitIdle(*frame_));
    const QStringList both = frame_->output().Lines();
    QCOMPARE(both.mid(0, lines.size()), lines);
    QCOMPARE(both.at(lines.size()), northwind_ + kSelectedForRecoveryText);
    QVERIFY(both.contains(kAdvancedModeText));
    QCOMPARE(both.last(), QString(kScanCompletedLine));
  }

  // The ribbon's buttons, panels and tooltips; the panes stay docked.
  void frameHasItsElements() {
    WidgetPrompts real;
    CMainFrame frame(CollationTable(), real);
    frame.resize(1200, 800);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.captionBar().text(), QString(kSelectMdfCaptionText));
    QVERIFY(frame.windowTitle().startsWith("Tessaril "));
    const struct {
      Command command;
      const char* text;
      const char* tooltip;
    } buttons[] = {
        {Command::kOpen, "Open", "Open Database file"},
        {Command::kStop, "Stop", "Stop running process"},
        {Command::kSaveSqlData, "Save SQL Data", "Save recovered data"},
        {Command::kSaveCsvData, "Save CSV Data", "Save table records in CSV"},
        {Command::kLoadSnapshot, "Load", "Load Snapshot"},
        {Command::kSaveSnapshot, "Save", "Save Snapshot"},
        {Command::kHelp, "Help", "Help for Corvane Tessaril"},
        {Command::kAbout, "About", "About Corvane Tessaril"},
    };
    int left = -1;
    for (const auto& b : buttons) {
      QAction* action = frame.ribbon().action(b.command);
      QCOMPARE(action->text(), QString(b.text));
      QCOMPARE(action->toolTip(), QString(b.tooltip));
      QCOMPARE(action->data().toInt(), static_cast<int>(b.command));
      QCOMPARE(frame.ribbon().button(b.command)->iconSize(), QSize(32, 32));
      QVERIFY(!action->icon().isNull());
      const int x = frame.ribbon().button(b.command)->mapTo(&frame.ribbon(), QPoint()).x();
      QVERIFY2(x > left, b.text);
      left = x;
    }
    QVERIFY(!frame.ribbon().action(Command::kStop)->isEnabled());
    for (const char* pane : {"treePane", "outputPane"}) {
      auto* dock = frame.findChild<QDockWidget*>(pane);
      QVERIFY(dock != nullptr);
      QCOMPARE(dock->features(), QDockWidget::NoDockWidgetFeatures);
    }
    QCOMPARE(frame.treeView().contextMenuPolicy(), Qt::NoContextMenu);
  }

  // A table opened by its label: the columns, the first page and paging
  // through Order Details; then a definition and a key's statement.
  void tablePagesDefinitionsAndStatements() {
    ScanNorthwind();
    if (!frame_) return;
    const ObjectTreeModel& model = frame_->treeModel();
    OpenItem(FindChild(model, "User Tables", "Order Details"));
    CVantorStatic& view = frame_->view();
    QVERIFY(view.showsGrid());
    const RecordGridModel& grid = view.model();
    QCOMPARE(grid.rowCount(), 1000);
    QStringList titles;
    for (int c = 0; c < grid.columnCount(); ++c) {
      titles << grid.headerData(c, Qt::Horizontal).toString();
    }
    QCOMPARE(titles, (QStringList{"OrderID", "ProductID", "UnitPrice", "Quantity", "Discount"}));
    QCOMPARE(view.grid().columnWidth(0), 200);
    QCOMPARE(view.pageLabel().text(), QString("Page1 - [1000](1-1000) Records"));
    QVERIFY(view.nextButton().isEnabled());
    QVERIFY(!view.previousButton().isEnabled());
    QCOMPARE(frame_->captionBar().text(), QString("Order Details[1000]"));
    QVERIFY(
        frame_->output().Lines().contains("Please wait while Order Details folder is scanning."));
    QCOMPARE(ChildTexts(model, FindChild(model, "User Tables", "Order Details")),
             (QStringList{"ForeignKey", "Unique", "Constraint", "PrimaryKey", "Columns"}));

    // Ctrl+C copies the selected rows as tab-separated text.
    view.grid().selectRow(0);
    const QStringList cells = view.grid().SelectionText().trimmed().split('\t');
    QCOMPARE(cells.size(), 5);
    QCOMPARE(cells.first(), grid.index(0, 0).data().toString());

    Page(true, "Page2 - [1000](1001-2000) Records", true, true);
    QCOMPARE(frame_->captionBar().text(), QString("1000 rows to 2000"));
    Page(true, "Page3 - [155](2001-2155) Records", false, true);
    QCOMPARE(grid.rowCount(), 155);
    Page(false, "Page2 - [1000](1001-2000) Records", true, true);
    Page(false, "Page1 - [1000](1-1000) Records", true, false);

    OpenItem(FindChild(model, "Views", "Invoices"));
    QVERIFY(!view.showsGrid());
    QVERIFY2(view.textView().toPlainText().contains("create view", Qt::CaseInsensitive),
             qPrintable(view.textView().toPlainText()));

    const QModelIndex keys = FindChild(model, "Order Details", "PrimaryKey");
    QVERIFY(model.rowCount(keys) > 0);
    OpenItem(model.index(0, 0, keys));
    QVERIFY2(view.textView().toPlainText().startsWith("ALTER TABLE"),
             qPrintable(view.textView().toPlainText()));
  }

  // Keyboard navigation and check boxes select or check without opening.
  void onlyALabelClickOpens() {
    ScanNorthwind();
    if (!frame_) return;
    CFileView& tree = frame_->treeView();
    const ObjectTreeModel& model = frame_->treeModel();
    const QModelIndex tables = FindItem(model, "User Tables");
    tree.expand(tables);
    tree.setFocus();
    tree.setCurrentIndex(model.index(0, 0, tables));
    const int lines = frame_->output().count();
    QTest::keyClick(&tree, Qt::Key_Down);
    QTest::keyClick(&tree, Qt::Key_Space);
    QVERIFY(WaitIdle(*frame_));
    QCOMPARE(frame_->output().count(), lines);
    const QModelIndex second = model.index(1, 0, tables);
    QCOMPARE(tree.currentIndex(), second);
    QCOMPARE(second.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QCOMPARE(tables.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::PartiallyChecked);
    QCOMPARE(model.index(0, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(),
             Qt::PartiallyChecked);
  }

  // Every command that needs an idle session refuses while a job holds it,
  // with its own text; Stop ends a running scan at once and a new Open
  // waits for the stopped worker.
  void busyRefusalsAndStop() {
    ScanNorthwind();
    if (!frame_) return;
    const QModelIndex details = FindChild(frame_->treeModel(), "User Tables", "Order Details");
    OpenItem(details);
    const std::optional<JobTicket> held = frame_->session().TryBeginJob();
    QVERIFY(held.has_value());
    const struct {
      void (CMainFrame::*command)();
      const char* text;
    } commands[] = {
        {&CMainFrame::Open, kBusyText},
        {&CMainFrame::SaveSqlData, kBusyText},
        {&CMainFrame::SaveCsvData, kBusyText},
        {&CMainFrame::LoadSnapshot, kBusyText},
        {&CMainFrame::SaveSnapshot, kBusyText},
        {&CMainFrame::NextRecords, kBusyText},
        {&CMainFrame::PreviousRecords, kBusyText},
        {&CMainFrame::Help, kStopToContinueText},
        {&CMainFrame::About, kStopToContinueText},
    };
    for (const auto& c : commands) {
      prompts_->informations.clear();
      (frame_.get()->*c.command)();
      QCOMPARE(prompts_->informations, QStringList{c.text});
    }
    prompts_->informations.clear();
    ClickLabel(frame_->treeView(), FindChild(frame_->treeModel(), "User Tables", "Orders"));
    QCOMPARE(prompts_->informations, QStringList{kBusyText});
    QCOMPARE(frame_->treeView().currentIndex(), details);  // the highlight stays
    prompts_->informations.clear();
    QVERIFY(!frame_->close());
    QCOMPARE(prompts_->informations, QStringList{kStopToCloseText});
    frame_->session().RunJob(*held, [] {});

    // Stop during a scan: busy ends at once; the next Open runs in full.
    StartOpen(*frame_, *prompts_, northwind_, logs_.path());
    QVERIFY(frame_->ribbon().action(Command::kStop)->isEnabled());
    prompts_->informations.clear();
    frame_->Open();
    QCOMPARE(prompts_->informations, QStringList{kBusyText});
    frame_->Stop();
    QCOMPARE(prompts_->questions.last(), QString(kStopQuestionText));
    QVERIFY(!frame_->session().busy());
    QVERIFY(!frame_->ribbon().action(Command::kStop)->isEnabled());
    StartOpen(*frame_, *prompts_, northwind_, logs_.path());
    QVERIFY(WaitIdle(*frame_));
    QCOMPARE(prompts_->lastInformation(), QString(kScanProcessCompletedText));
    QVERIFY(FindChild(frame_->treeModel(), "User Tables", "Order Details").isValid());

    // Stop during a page load: the window is idle at once and usable after.
    OpenItem(FindChild(frame_->treeModel(), "User Tables", "Order Details"));
    frame_->NextRecords();
    frame_->Stop();
    QVERIFY(!frame_->session().busy());
    QVERIFY(WaitIdle(*frame_));
    OpenItem(FindChild(frame_->treeModel(), "User Tables", "Orders"));
    QCOMPARE(frame_->view().pageLabel().text(), QString("Page1 - [830](1-830) Records"));
  }

  // Close asks; after Yes the scan log's path is shown when the log exists.
  void closeAsksAndNamesTheLog() {
    ScanNorthwind();
    if (!frame_) return;
    prompts_->answer = false;
    QVERIFY(!frame_->close());
    QCOMPARE(prompts_->questions.last(), QString(kCloseQuestionText));
    prompts_->answer = true;
    prompts_->informations.clear();
    const QString log = QString::fromStdString(frame_->session().scanLog().path());
    QVERIFY(QFile::exists(log));
    QVERIFY(frame_->close());
    QCOMPARE(prompts_->informations, QStringList{kLogFilePathPrefix + log});
    QVERIFY(QFile::remove(log));
    prompts_->informations.clear();
    frame_->show();
    QVERIFY(frame_->close());
    QVERIFY(prompts_->informations.isEmpty());
  }

  // The options dialog: its defaults, the checks of OK and the collation
  // choice stored at once.
  void optionsDialogChecksItsPaths() {
    QTemporaryDir files;
    const QString bak = files.filePath("x.Mdf.bak");
    const QString text = files.filePath("notes.txt");
    for (const QString& path : {bak, text}) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    ScriptedPrompts prompts;
    ScanOptions options;
    options.manualCollationId = 77;
    CollationTable collations = CollationTable::LoadBesideProgram();
    CVantorFileSettingDlg dialog(options, collations, prompts);
    QCOMPARE(dialog.windowTitle(), QString("Select Corrupted MDF file"));
    QCOMPARE(dialog.recoveryMode().currentText(), QString("Standard Mode"));
    QCOMPARE(dialog.recoveryMode().itemText(1), QString("Advanced Mode"));
    QVERIFY(dialog.autoDetect().isChecked());
    QVERIFY(!dialog.collationList().isEnabled());
    QCOMPARE(dialog.logFolder().text(), desktop_.path() + "/");
    QVERIFY(!dialog.isSql2000().isChecked() && !dialog.showDeleted().isChecked() &&
            !dialog.showAdvancedDeleted().isChecked());

    const struct {
      QString data;
      QString folder;
      const char* message;
    } refused[] = {
        {"", files.path(), kInvalidDataPathText},
        {text, files.path(), kInvalidDataPathText},
        {files.filePath("missing.mdf"), files.path(), kInvalidDataPathText},
        {bak, files.filePath("no-such-folder"), kInvalidLogPathText},
    };
    for (const auto& c : refused) {
      prompts.informations.clear();
      dialog.dataFilePath().setText(c.data);
      dialog.logFolder().setText(c.folder);
      dialog.accept();
      QCOMPARE(prompts.informations, QStringList{c.message});
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
      QVERIFY(options.dataFilePath.empty());
    }

    prompts.paths << files.filePath("gone.mdf");
    QTest::mouseClick(&dialog.browseDataFile(), Qt::LeftButton);
    QCOMPARE(prompts.lastInformation(), QString(kInvalidMdfFileText));

    QTest::mouseClick(&dialog.manual(), Qt::LeftButton);
    QCOMPARE(options.collationMode, kManualCollation);
    QVERIFY(dialog.collationList().isEnabled());
    dialog.dataFilePath().setText(bak);
    dialog.logFolder().setText(files.path());
    dialog.recoveryMode().setCurrentIndex(1);
    dialog.showDeleted().setChecked(true);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(QString::fromStdString(options.dataFilePath), bak);
    QCOMPARE(QString::fromStdString(options.logFolder), files.path() + "/");
    QCOMPARE(options.recoveryMode, kAdvancedMode);
    QCOMPARE(options.showDeletedRecords, std::uint8_t{1});
    QCOMPARE(options.manualCollationId, std::uint64_t{77});
  }

  // "tessaril FILE": the Open dialog comes up holding the file, and
  // accepting it scans that file.
  void aFileGivenAtStartIsInTheOpenDialog() {
    const QString pubs = CorpusPath("sql2014_pubs");
    if (pubs.isEmpty()) QSKIP("the corpus is not here");
    ScriptedPrompts prompts;
    CMainFrame frame(CollationTable::LoadBesideProgram(), prompts);
    QString offered;
    prompts.onDialog = [&](QDialog& dialog) {
      auto* options = qobject_cast<CVantorFileSettingDlg*>(&dialog);
      if (options == nullptr) return false;
      offered = options->dataFilePath().text();
      options->logFolder().setText(logs_.path());
      options->accept();
      return true;
    };
    frame.OpenSuggesting(pubs);
    QVERIFY(WaitIdle(frame));
    QCOMPARE(offered, pubs);
    QCOMPARE(prompts.lastInformation(), QString(kScanProcessCompletedText));
    QVERIFY(FindItem(frame.treeModel(), "authors").isValid());
  }

  // Save SQL Data and Save CSV Data write what the command line writes.
  void exportsMatchTheCommandLine() {
    ScanNorthwind();
    if (!frame_) return;
    QTemporaryDir out;
    prompts_->informations.clear();
    frame_->SaveSqlData();
    QCOMPARE(prompts_->informations, QStringList{kSelectFolderText});

    ObjectTreeModel& model = frame_->treeModel();
    for (const char* table : {"Customers", "Order Details"}) {
      model.setData(FindChild(model, "User Tables", table), Qt::Checked, Qt::CheckStateRole);
    }
    prompts_->onDialog = ExportTo(ExportFormat::kSqlScript, out.filePath("window.sql"));
    frame_->SaveSqlData();
    QVERIFY(frame_->progress().isVisible());
    QVERIFY(WaitIdle(*frame_));
    QVERIFY(frame_->output().Lines().last().startsWith("exported 2 table(s)"));
    prompts_->onDialog = ExportTo(ExportFormat::kCsv, out.filePath("window-csv"));
    frame_->SaveCsvData();
    QVERIFY(WaitIdle(*frame_));
    QVERIFY2(prompts_->lastInformation().startsWith("exported "),
             qPrintable(prompts_->lastInformation()));

    const struct {
      QStringList arguments;
      QString window;
      QString cli;
    } runs[] = {
        {{"--sql", out.filePath("cli.sql"), "--tables", "dbo.Customers,dbo.Order Details"},
         out.filePath("window.sql"),
         out.filePath("cli.sql")},
        {{"--csv", out.filePath("cli-csv")}, out.filePath("window-csv"), out.filePath("cli-csv")},
    };
    for (const auto& run : runs) {
      QProcess cli;
      // --no-cache: the test leaves nothing in the user's cache folder.
      cli.start(TESSARIL_CLI, QStringList{"export", northwind_, "--no-cache"} + run.arguments);
      QVERIFY(cli.waitForFinished(120000));
      QCOMPARE(cli.exitCode(), 0);
      // A file, or a folder of files of the same names.
      QStringList names{QString()};
      if (QFileInfo(run.window).isDir()) {
        names = QDir(run.window).entryList(QDir::Files, QDir::Name);
        QCOMPARE(names, QDir(run.cli).entryList(QDir::Files, QDir::Name));
        QVERIFY(names.size() > 3);
      }
      for (const QString& name : names) {
        const QString suffix = name.isEmpty() ? QString() : "/" + name;
        // The load script names the folder its files are in.
        QByteArray written = ReadAll(run.window + suffix);
        QVERIFY(!written.isEmpty());
        written.replace(run.window.toUtf8(), run.cli.toUtf8());
        QVERIFY2(written == ReadAll(run.cli + suffix), qPrintable(name));
      }
    }
  }

  // Save and Load Snapshot: the loaded scan builds the same tree.
  void snapshotSavesAndLoads() {
    ScanNorthwind();
    if (!frame_) return;
    QTemporaryDir out;
    prompts_->paths << out.filePath("scan");
    frame_->SaveSnapshot();
    QVERIFY(WaitIdle(*frame_));
    const QString saved = out.filePath("scan.MDBVTR");
    QCOMPARE(prompts_->lastInformation(), kSnapshotSavedText + saved);
    const int items = static_cast<int>(frame_->treeModel().tree().size());

    prompts_->paths << saved;
    frame_->LoadSnapshot();
    QVERIFY(WaitIdle(*frame_));
    QCOMPARE(prompts_->lastInformation(), QString(kScanProcessCompletedText));
    QCOMPARE(static_cast<int>(frame_->treeModel().tree().size()), items);
    // The snapshot names the data file by its absolute path.
    const QStringList browsed = frame_->output().Lines().filter(QRegularExpression(
        QString("^") + kBrowseFilePathText + ".*/" + QFileInfo(northwind_).fileName()));
    QCOMPARE(browsed.size(), 2);
  }

  // Help's page is the README, as HTML.
  void helpPageIsTheReadme() {
    QTemporaryDir folder;
    const QString page = WriteHelpPage(folder.path());
    QVERIFY(!page.isEmpty());
    const QString html = QString::fromUtf8(ReadAll(page));
    QVERIFY(html.contains("<html"));
    QVERIFY(html.contains("Tessaril recovers data from Microsoft SQL Server data files"));
  }

  // A second window in the same session is refused; the lock goes with
  // the first.
  void secondInstanceIsRefused() {
    QTemporaryDir runtime;
    const QString path = runtime.filePath("tessaril.lock");
    auto first = InstanceLock::Acquire(path);
    QVERIFY(first != nullptr);
    QVERIFY(InstanceLock::Acquire(path) == nullptr);
    first.reset();
    QVERIFY(InstanceLock::Acquire(path) != nullptr);
  }
};

}  // namespace tessaril::ui

QTEST_MAIN(tessaril::ui::UiTest)
#include "ui_test.moc"
