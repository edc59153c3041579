#include "ui/vantor_list_ctrl.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <map>

namespace tessaril::ui {

namespace {
constexpr int kColumnWidth = 200;
}  // namespace

CVantorListCtrl::CVantorListCtrl(QWidget* parent) : QTableView(parent) {
  setObjectName("recordGrid");
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setShowGrid(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  horizontalHeader()->setDefaultSectionSize(kColumnWidth);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

QString CVantorListCtrl::SelectionText() const {
  std::map<int, std::map<int, QString>> cells;
  for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
    cells[index.row()][index.column()] = index.data().toString();
  }
  QStringList lines;
  for (const auto& [row, columns] : cells) {
    QStringList values;
    for (const auto& [column, text] : columns) values << text;
    lines << values.join('\t');
  }
  return lines.isEmpty() ? QString() : lines.join('\n') + '\n';
}

void CVantorListCtrl::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    QApplication::clipboard()->setText(SelectionText());
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

}  // namespace tessaril::ui
