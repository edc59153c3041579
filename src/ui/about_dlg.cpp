#include "ui/about_dlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "ui/ui_texts.h"

namespace tessaril::ui {

namespace {

QLabel* Link(const QString& text, const char* target, QWidget* parent) {
  auto* label = new QLabel(QString("<a href=\"%1\">%2</a>").arg(target, text), parent);
  label->setOpenExternalLinks(true);
  return label;
}

}  // namespace

CVantorAboutDlg::CVantorAboutDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("CVantorAboutDlg");
  setWindowTitle(kApplicationTitle);
  auto* column = new QVBoxLayout(this);
  auto* title = new QLabel(QString("%1 %2").arg(kApplicationTitle, TESSARIL_VERSION), this);
  QFont font("Arial");
  font.setPixelSize(15);
  font.setWeight(QFont::DemiBold);
  title->setFont(font);
  column->addWidget(title);
  column->addWidget(new QLabel("Recovers data from SQL Server data files.", this));
  column->addWidget(Link("Company website", kWebSite, this));
  column->addWidget(Link("Support email address", kSupportMail, this));
  column->addWidget(Link("Sales email address", kSalesMail, this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  column->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

void CVantorAboutDlg::mousePressEvent(QMouseEvent* event) {
  grab_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CVantorAboutDlg::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) move(event->globalPosition().toPoint() - grab_);
}

}  // namespace tessaril::ui
