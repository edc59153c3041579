// The message bar under the ribbon: an information icon and one line.
#pragma once

#include <QFrame>
#include <QLabel>

namespace tessaril::ui {

class CMyCaptionBar final : public QFrame {
  Q_OBJECT

 public:
  explicit CMyCaptionBar(QWidget* parent = nullptr);

  void SetCaptionText(const QString& text);
  QString text() const { return text_->text(); }

 private:
  QLabel* text_;
};

}  // namespace tessaril::ui
