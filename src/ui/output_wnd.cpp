#include "ui/output_wnd.h"

#include <QScrollBar>

namespace tessaril::ui {

COutputWnd::COutputWnd(QWidget* parent) : QListWidget(parent) {
  setObjectName("outputList");
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void COutputWnd::AppendLogLine(const QString& text) {
  // A line may end in a line break of its own; the row shows the text.
  QString shown = text;
  while (shown.endsWith('\n') || shown.endsWith('\r')) shown.chop(1);
  const bool atEnd = verticalScrollBar()->value() == verticalScrollBar()->maximum();
  addItem(shown);
  if (atEnd) scrollToBottom();
}

QStringList COutputWnd::Lines() const {
  QStringList lines;
  for (int i = 0; i < count(); ++i) lines << item(i)->text();
  return lines;
}

}  // namespace tessaril::ui
