#include "ui/record_grid_model.h"

#include <QBrush>
#include <QFont>
#include <QPalette>

#include "ui/ui_events.h"

namespace tessaril::ui {

RecordGridModel::RecordGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordGridModel::SetColumns(const QStringList& titles,
                                 std::vector<std::size_t> layoutColumns) {
  beginResetModel();
  titles_ = titles;
  layoutColumns_ = std::move(layoutColumns);
  rows_.clear();
  endResetModel();
}

void RecordGridModel::SetRows(const std::vector<RenderedRow>& rows) {
  beginResetModel();
  rows_.clear();
  rows_.reserve(rows.size());
  for (const RenderedRow& row : rows) {
    std::vector<GridCell> cells;
    cells.reserve(layoutColumns_.size());
    for (std::size_t column : layoutColumns_) {
      if (column >= row.cells.size()) {
        cells.push_back({});
        continue;
      }
      const Cell& cell = row.cells[column];
      cells.push_back({ToQString(cell.Shown()), cell.null});
    }
    rows_.push_back(std::move(cells));
  }
  endResetModel();
}

void RecordGridModel::ClearRows() {
  beginResetModel();
  rows_.clear();
  endResetModel();
}

void RecordGridModel::Clear() {
  beginResetModel();
  rows_.clear();
  titles_.clear();
  layoutColumns_.clear();
  endResetModel();
}

int RecordGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RecordGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant RecordGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const auto& row = rows_[static_cast<std::size_t>(index.row())];
  if (static_cast<std::size_t>(index.column()) >= row.size()) return {};
  const GridCell& cell = row[static_cast<std::size_t>(index.column())];
  switch (role) {
    case Qt::DisplayRole:
      return cell.text;
    case Qt::ForegroundRole:
      // NULL stands apart from a value that reads "NULL".
      return cell.null ? QVariant(QBrush(QPalette().color(QPalette::Disabled, QPalette::Text)))
                       : QVariant();
    case Qt::FontRole:
      if (cell.null) {
        QFont font;
        font.setItalic(true);
        return font;
      }
      return {};
    default:
      return {};
  }
}

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    return section >= 0 && section < titles_.size() ? titles_[section] : QVariant();
  }
  return section + 1;
}

}  // namespace tessaril::ui
