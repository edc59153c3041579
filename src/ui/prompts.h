// Message boxes, file dialogs and modal dialogs behind one interface, so that
// tests answer them instead of a person.
#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace tessaril::ui {

class Prompts {
 public:
  virtual ~Prompts() = default;
  // An information box (OK) with the application title.
  virtual void Information(QWidget* parent, const QString& text) = 0;
  // An error box (stop icon).
  virtual void Error(QWidget* parent, const QString& text) = 0;
  // A Yes/No question; true on Yes.
  virtual bool Question(QWidget* parent, const QString& text) = 0;
  // A file that must exist; empty when none is chosen.
  virtual QString OpenFile(QWidget* parent, const QString& caption, const QString& filter) = 0;
  // A file to write, asking before replacing one; empty when none is chosen.
  virtual QString SaveFile(QWidget* parent, const QString& caption, const QString& filter) = 0;
  // An existing folder; empty when none is chosen.
  virtual QString ChooseFolder(QWidget* parent, const QString& caption) = 0;
  // Runs a modal dialog; true when it was accepted.
  virtual bool Run(QDialog& dialog) = 0;
};

// The real boxes and dialogs.
class WidgetPrompts final : public Prompts {
 public:
  void Information(QWidget* parent, const QString& text) override;
  void Error(QWidget* parent, const QString& text) override;
  bool Question(QWidget* parent, const QString& text) override;
  QString OpenFile(QWidget* parent, const QString& caption, const QString& filter) override;
  QString SaveFile(QWidget* parent, const QString& caption, const QString& filter) override;
  QString ChooseFolder(QWidget* parent, const QString& caption) override;
  bool Run(QDialog& dialog) override;
};

}  // namespace tessaril::ui
