// The record grid: 200-pixel columns, whole-row selection, and Ctrl+C
// copying the selected cells as tab-separated text.
#pragma once

#include <QTableView>

namespace tessaril::ui {

class CVantorListCtrl final : public QTableView {
  Q_OBJECT

 public:
  explicit CVantorListCtrl(QWidget* parent = nullptr);

  // The selected cells, a line per row, tabs between columns.
  QString SelectionText() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace tessaril::ui
