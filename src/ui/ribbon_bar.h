// The ribbon: the application button and one category of panels with large
// buttons, one action per command.
#pragma once

#include <QAction>
#include <QToolButton>
#include <QWidget>
#include <map>

namespace tessaril::ui {

// The commands, numbered as the window has always numbered them.
enum class Command {
  kOpen = 313,
  kStop = 314,
  kSaveSqlData = 315,
  kSaveCsvData = 340,
  kLoadSnapshot = 341,
  kSaveSnapshot = 342,
  kHelp = 319,
  kAbout = 320,
};

class RibbonBar final : public QWidget {
  Q_OBJECT

 public:
  explicit RibbonBar(QWidget* parent = nullptr);

  QAction* action(Command command) const { return actions_.at(command); }
  QToolButton* button(Command command) const { return buttons_.at(command); }
  QToolButton* applicationButton() const { return applicationButton_; }
  QAction* exitAction() const { return exit_; }

 private:
  QWidget* Panel(const QString& title, std::initializer_list<Command> commands);

  std::map<Command, QAction*> actions_;
  std::map<Command, QToolButton*> buttons_;
  QToolButton* applicationButton_;
  QAction* exit_;
};

}  // namespace tessaril::ui
