#include "ui/scripted_prompts.h"

#include <QDialog>

namespace tessaril::ui {

bool ScriptedPrompts::Question(QWidget*, const QString& text) {
  questions << text;
  return answer;
}

bool ScriptedPrompts::Run(QDialog& dialog) {
  if (!onDialog) return false;
  // A dialog accepts itself only when its own checks pass.
  return onDialog(dialog) && dialog.result() == QDialog::Accepted;
}

}  // namespace tessaril::ui
