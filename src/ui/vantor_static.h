// The main view: the record grid with its page label and the Previous and
// Next Records buttons, or the read-only text view filling the whole view.
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>

#include "ui/record_grid_model.h"
#include "ui/vantor_list_ctrl.h"

namespace tessaril::ui {

class CVantorStatic final : public QStackedWidget {
  Q_OBJECT

 public:
  explicit CVantorStatic(QWidget* parent = nullptr);

  // Empties the grid (rows and columns), the text view and the page label,
  // disables both buttons and shows the text view.
  void Reset();
  // The grid with these columns, its buttons disabled.
  void ShowGrid(const QStringList& titles, std::vector<std::size_t> layoutColumns);
  void ShowRows(const std::vector<RenderedRow>& rows);
  void ShowText(const QString& text);
  void SetPageLabel(const QString& text) { pageLabel_->setText(text); }
  void SetPageButtons(bool nextEnabled, bool previousEnabled);
  void ClearRows() { model_.ClearRows(); }

  RecordGridModel& model() { return model_; }
  CVantorListCtrl& grid() { return *grid_; }
  QPlainTextEdit& textView() { return *text_; }
  QLabel& pageLabel() { return *pageLabel_; }
  QPushButton& nextButton() { return *next_; }
  QPushButton& previousButton() { return *previous_; }
  bool showsGrid() const { return currentIndex() == 1; }

 signals:
  void nextClicked();
  void previousClicked();

 private:
  RecordGridModel model_;
  QPlainTextEdit* text_;
  CVantorListCtrl* grid_;
  QLabel* pageLabel_;
  QPushButton* previous_;
  QPushButton* next_;
};

}  // namespace tessaril::ui
