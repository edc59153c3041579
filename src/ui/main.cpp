// tessaril: the desktop window.
#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QStringList>
#include <QTimer>

#include "ui/application_look.h"
#include "ui/instance_lock.h"
#include "ui/main_frame.h"
#include "ui/prompts.h"
#include "ui/ui_texts.h"
#include "values/collation_table.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("tessaril");
  QApplication::setOrganizationName("Tessaril");
  QApplication::setApplicationDisplayName(tessaril::ui::kApplicationTitle);
  // One window per user session; a second start says so before any window.
  const auto lock = tessaril::ui::InstanceLock::Acquire(tessaril::ui::InstanceLock::DefaultPath());
  if (!lock) {
    QMessageBox::information(nullptr, tessaril::ui::kApplicationTitle,
                             tessaril::ui::kAnotherInstanceText);
    return 1;
  }
  QSettings settings;
  tessaril::ui::ApplyApplicationLook(application, tessaril::ui::StoredApplicationLook(settings));
  tessaril::ui::WidgetPrompts prompts;
  tessaril::ui::CMainFrame frame(tessaril::CollationTable::LoadBesideProgram(), prompts);
  frame.showMaximized();
  // "tessaril FILE" (Open With, or a file dropped on the launcher) starts
  // with the options dialog holding that file.
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) {
    const QString file = arguments.at(1);
    QTimer::singleShot(0, &frame, [&frame, file] { frame.OpenSuggesting(file); });
  }
  return QApplication::exec();
}
