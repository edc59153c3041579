// Answers to the window's boxes and dialogs, given by a script instead of a
// person: what was shown is recorded; the answers are set beforehand.
#pragma once

#include <QStringList>
#include <functional>

#include "ui/prompts.h"

namespace tessaril::ui {

class ScriptedPrompts final : public Prompts {
 public:
  QStringList informations;
  QStringList errors;
  QStringList questions;
  bool answer = true;  // to every question
  // Answers to the file and folder dialogs, in the order they are asked;
  // none left: nothing chosen.
  QStringList paths;
  // Answers a modal dialog (sets its fields, accepts or not); none: Cancel.
  std::function<bool(QDialog&)> onDialog;

  void Information(QWidget*, const QString& text) override { informations << text; }
  void Error(QWidget*, const QString& text) override { errors << text; }
  bool Question(QWidget*, const QString& text) override;
  QString OpenFile(QWidget*, const QString&, const QString&) override { return NextPath(); }
  QString SaveFile(QWidget*, const QString&, const QString&) override { return NextPath(); }
  QString ChooseFolder(QWidget*, const QString&) override { return NextPath(); }
  bool Run(QDialog& dialog) override;

  QString lastInformation() const {
    return informations.isEmpty() ? QString() : informations.last();
  }

 private:
  QString NextPath() { return paths.isEmpty() ? QString() : paths.takeFirst(); }
};

}  // namespace tessaril::ui
