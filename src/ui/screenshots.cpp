// ui_screenshots FILE FOLDER: the window's main states as PNG pictures (the
// start, a finished scan with the tree open, a table page, a definition,
// the options dialog and an export under way).
#include <QApplication>
#include <QDir>
#include <QTimer>

#include "ui/application_look.h"
#include "ui/export_dlg.h"
#include "ui/file_setting_dlg.h"
#include "ui/window_driver.h"

namespace {

using tessaril::ui::CMainFrame;

void Save(QWidget& widget, const QString& folder, const char* name) {
  QCoreApplication::processEvents();
  widget.grab().save(QDir(folder).filePath(QString(name) + ".png"));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 3 && argc != 4) {
    fprintf(stderr, "usage: ui_screenshots FILE FOLDER [SCHEMA]\n");
    return 2;
  }
  const QString file = QString::fromLocal8Bit(argv[1]);
  const QString folder = QString::fromLocal8Bit(argv[2]);
  // The schema lost tables are laid out from, when one is given.
  const QString schema = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
  QDir().mkpath(folder);
  tessaril::ui::ApplyApplicationLook(application, tessaril::ui::kDefaultApplicationLook);
  tessaril::ui::ScriptedPrompts prompts;
  CMainFrame frame(tessaril::CollationTable::LoadBesideProgram(), prompts);
  frame.resize(1280, 800);
  frame.show();
  Save(frame, folder, "1-start");

  // The options dialog, filled in, as it is about to be confirmed.
  prompts.onDialog = [&](QDialog& dialog) {
    auto* options = qobject_cast<tessaril::ui::CVantorFileSettingDlg*>(&dialog);
    options->dataFilePath().setText(file);
    options->logFolder().setText(QDir::tempPath());
    options->schemaFrom().setText(schema);
    options->show();
    Save(*options, folder, "2-options");
    options->accept();
    return true;
  };
  frame.Open();
  prompts.onDialog = nullptr;
  if (!tessaril::ui::WaitIdle(frame)) return 1;
  const auto& model = frame.treeModel();
  frame.treeView().expand(tessaril::ui::FindItem(model, "User Tables"));
  Save(frame, folder, "3-scanned");

  const QModelIndex tables = tessaril::ui::FindItem(model, "User Tables");
  QModelIndex biggest;
  for (const char* name : {"Order Details", "titles", "Orders"}) {
    biggest = tessaril::ui::FindChild(model, "User Tables", name);
    if (biggest.isValid()) break;
  }
  if (!biggest.isValid()) biggest = model.index(0, 0, tables);
  tessaril::ui::ClickLabel(frame.treeView(), biggest);
  tessaril::ui::WaitIdle(frame);
  Save(frame, folder, "4-table");

  const QModelIndex views = tessaril::ui::FindItem(model, "Views");
  if (model.rowCount(views) > 0) {
    tessaril::ui::ClickLabel(frame.treeView(), model.index(0, 0, views));
    tessaril::ui::WaitIdle(frame);
    Save(frame, folder, "5-definition");
  }

  // An export of every table, pictured as soon as the first tables are written.
  prompts.onDialog = [&](QDialog& dialog) {
    auto* choice = qobject_cast<tessaril::ui::ExportDlg*>(&dialog);
    choice->destination().setText(QDir::temp().filePath("tessaril-screens-csv"));
    choice->accept();
    return true;
  };
  frame.SaveCsvData();
  for (int i = 0; i < 50 && frame.output().count() == 0; ++i) QCoreApplication::processEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
  Save(frame, folder, "6-export");
  tessaril::ui::WaitIdle(frame);
  QDir(QDir::temp().filePath("tessaril-screens-csv")).removeRecursively();
  return 0;
}
