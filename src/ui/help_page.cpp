#include "ui/help_page.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTextDocument>
#include <QUrl>

namespace tessaril::ui {

QString WriteHelpPage(const QString& folder) {
  QFile readme(":/help/README.md");
  if (!readme.open(QIODevice::ReadOnly) || !QDir().mkpath(folder)) return {};
  QTextDocument document;
  document.setMarkdown(QString::fromUtf8(readme.readAll()));
  document.setMetaInformation(QTextDocument::DocumentTitle, "Tessaril help");
  const QString path = QDir(folder).filePath("tessaril-help.html");
  QFile page(path);
  if (!page.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
  const QByteArray html = document.toHtml().toUtf8();
  return page.write(html) == html.size() ? path : QString();
}

bool OpenHelpPage() {
  const QString path =
      WriteHelpPage(QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
  return !path.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace tessaril::ui
