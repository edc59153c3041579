// The rows of the grid page shown: texts rendered by a worker, held as they
// are; data() only hands them out.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "values/row_context.h"

namespace tessaril::ui {

class RecordGridModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit RecordGridModel(QObject* parent = nullptr);

  // The grid's columns: the layout columns with these indexes, titled.
  void SetColumns(const QStringList& titles, std::vector<std::size_t> layoutColumns);
  // The rows of a page replace those shown.
  void SetRows(const std::vector<RenderedRow>& rows);
  void ClearRows();
  void Clear();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  struct GridCell {
    QString text;
    bool null = false;
  };

  QStringList titles_;
  std::vector<std::size_t> layoutColumns_;
  std::vector<std::vector<GridCell>> rows_;
};

}  // namespace tessaril::ui
