// The About dialog: the title, the maker's links and OK; a press anywhere
// drags it.
#pragma once

#include <QDialog>
#include <QPoint>

namespace tessaril::ui {

class CVantorAboutDlg final : public QDialog {
  Q_OBJECT

 public:
  explicit CVantorAboutDlg(QWidget* parent = nullptr);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QPoint grab_;
};

}  // namespace tessaril::ui
