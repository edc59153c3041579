// The Output pane: one row per log line, lines of every scan one after
// another, never cleared.
#pragma once

#include <QListWidget>

namespace tessaril::ui {

class COutputWnd final : public QListWidget {
  Q_OBJECT

 public:
  explicit COutputWnd(QWidget* parent = nullptr);

  void AppendLogLine(const QString& text);
  QStringList Lines() const;
};

}  // namespace tessaril::ui
