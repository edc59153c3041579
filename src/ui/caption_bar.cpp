#include "ui/caption_bar.h"

#include <QHBoxLayout>
#include <QIcon>

#include "ui/ui_texts.h"

namespace tessaril::ui {

CMyCaptionBar::CMyCaptionBar(QWidget* parent) : QFrame(parent) {
  setObjectName("captionBar");
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(0xFF, 0xF8, 0xDC));
  setPalette(colours);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 3, 6, 3);
  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(":/icons/information.svg").pixmap(16, 16));
  row->addWidget(icon);
  text_ = new QLabel(kFirstCaptionText, this);
  text_->setObjectName("captionText");
  text_->setTextFormat(Qt::PlainText);
  row->addWidget(text_, 1);
}

void CMyCaptionBar::SetCaptionText(const QString& text) {
  text_->setText(text);
  text_->repaint();
}

}  // namespace tessaril::ui
