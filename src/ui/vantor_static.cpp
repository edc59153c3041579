#include "ui/vantor_static.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/ui_texts.h"

namespace tessaril::ui {

CVantorStatic::CVantorStatic(QWidget* parent) : QStackedWidget(parent) {
  setObjectName("mainView");
  QFont font("Arial");
  font.setPixelSize(16);

  text_ = new QPlainTextEdit(this);
  text_->setObjectName("textView");
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont fixed("Monospace");
  fixed.setStyleHint(QFont::TypeWriter);
  text_->setFont(fixed);
  addWidget(text_);

  auto* gridPage = new QWidget(this);
  auto* column = new QVBoxLayout(gridPage);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(4);
  grid_ = new CVantorListCtrl(gridPage);
  grid_->setModel(&model_);
  column->addWidget(grid_, 1);
  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(10, 2, 15, 4);
  pageLabel_ = new QLabel(gridPage);
  pageLabel_->setObjectName("pageLabel");
  pageLabel_->setFont(font);
  previous_ = new QPushButton(QIcon(":/icons/previous.svg"), kPreviousRecordsText, gridPage);
  previous_->setObjectName("previousRecords");
  next_ = new QPushButton(QIcon(":/icons/next.svg"), kNextRecordsText, gridPage);
  next_->setObjectName("nextRecords");
  next_->setLayoutDirection(Qt::RightToLeft);
  bar->addWidget(pageLabel_, 1);
  bar->addWidget(previous_);
  bar->addWidget(next_);
  column->addLayout(bar);
  addWidget(gridPage);

  connect(next_, &QPushButton::clicked, this, &CVantorStatic::nextClicked);
  connect(previous_, &QPushButton::clicked, this, &CVantorStatic::previousClicked);
  Reset();
}

void CVantorStatic::Reset() {
  model_.Clear();
  text_->clear();
  pageLabel_->clear();
  SetPageButtons(false, false);
  setCurrentIndex(0);
}

void CVantorStatic::ShowGrid(const QStringList& titles, std::vector<std::size_t> layoutColumns) {
  model_.SetColumns(titles, std::move(layoutColumns));
  SetPageButtons(false, false);
  setCurrentIndex(1);
}

void CVantorStatic::ShowRows(const std::vector<RenderedRow>& rows) {
  model_.SetRows(rows);
  grid_->scrollToTop();
}

void CVantorStatic::ShowText(const QString& text) {
  text_->setPlainText(text);
  setCurrentIndex(0);
}

void CVantorStatic::SetPageButtons(bool nextEnabled, bool previousEnabled) {
  next_->setEnabled(nextEnabled);
  previous_->setEnabled(previousEnabled);
}

}  // namespace tessaril::ui
