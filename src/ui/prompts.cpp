#include "ui/prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/ui_texts.h"

namespace tessaril::ui {

void WidgetPrompts::Information(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, kApplicationTitle, text);
}

void WidgetPrompts::Error(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, kApplicationTitle, text);
}

bool WidgetPrompts::Question(QWidget* parent, const QString& text) {
  return QMessageBox::question(parent, kApplicationTitle, text) == QMessageBox::Yes;
}

QString WidgetPrompts::OpenFile(QWidget* parent, const QString& caption, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString WidgetPrompts::SaveFile(QWidget* parent, const QString& caption, const QString& filter) {
  return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
}

QString WidgetPrompts::ChooseFolder(QWidget* parent, const QString& caption) {
  return QFileDialog::getExistingDirectory(parent, caption);
}

bool WidgetPrompts::Run(QDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

}  // namespace tessaril::ui
