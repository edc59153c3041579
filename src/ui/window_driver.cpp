#include "ui/window_driver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include "ui/file_setting_dlg.h"

namespace tessaril::ui {

bool WaitIdle(CMainFrame& frame, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (frame.session().busy() || frame.runningWorkers() > 0) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  // What the last worker sent is queued: let it arrive.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return true;
}

void StartOpen(CMainFrame& frame, ScriptedPrompts& prompts, const QString& file,
               const QString& logFolder, int mode) {
  prompts.onDialog = [file, logFolder, mode](QDialog& dialog) {
    auto* options = qobject_cast<CVantorFileSettingDlg*>(&dialog);
    if (options == nullptr) return false;
    options->dataFilePath().setText(file);
    options->logFolder().setText(logFolder);
    options->recoveryMode().setCurrentIndex(mode);
    options->accept();
    return true;
  };
  frame.Open();
  prompts.onDialog = nullptr;
}

QModelIndex FindItem(const ObjectTreeModel& model, const QString& text, const QModelIndex& parent) {
  for (int row = 0; row < model.rowCount(parent); ++row) {
    const QModelIndex child = model.index(row, 0, parent);
    if (child.data().toString() == text) return child;
    const QModelIndex below = FindItem(model, text, child);
    if (below.isValid()) return below;
  }
  return {};
}

QModelIndex FindChild(const ObjectTreeModel& model, const QString& under, const QString& text) {
  const QModelIndex parent = FindItem(model, under);
  for (int row = 0; row < model.rowCount(parent); ++row) {
    const QModelIndex child = model.index(row, 0, parent);
    if (child.data().toString() == text) return child;
  }
  return {};
}

QStringList ChildTexts(const ObjectTreeModel& model, const QModelIndex& parent) {
  QStringList texts;
  for (int row = 0; row < model.rowCount(parent); ++row) {
    texts << model.index(row, 0, parent).data().toString();
  }
  return texts;
}

void ClickLabel(CFileView& view, const QModelIndex& index) {
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) view.expand(up);
  view.scrollTo(index);
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.LabelRect(index).center());
}

}  // namespace tessaril::ui
