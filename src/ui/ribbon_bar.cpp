#include "ui/ribbon_bar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QVBoxLayout>

#include "ui/ui_texts.h"

namespace tessaril::ui {

namespace {

struct CommandText {
  Command command;
  const char* text;
  const char* tooltip;
  const char* icon;
  const char* name;
};

constexpr CommandText kCommands[] = {
    {Command::kOpen, "Open", "Open Database file", "open", "open"},
    {Command::kStop, "Stop", "Stop running process", "stop", "stop"},
    {Command::kSaveSqlData, "Save SQL Data", "Save recovered data", "save_sql", "saveSqlData"},
    {Command::kSaveCsvData, "Save CSV Data", "Save table records in CSV", "save_csv",
     "saveCsvData"},
    {Command::kLoadSnapshot, "Load", "Load Snapshot", "snapshot_load", "loadSnapshot"},
    {Command::kSaveSnapshot, "Save", "Save Snapshot", "snapshot_save", "saveSnapshot"},
    {Command::kHelp, "Help", "Help for Corvane Tessaril", "help", "help"},
    {Command::kAbout, "About", "About Corvane Tessaril", "about", "about"},
};

constexpr int kLargeIcon = 32;
constexpr int kApplicationButton = 42;

}  // namespace

RibbonBar::RibbonBar(QWidget* parent) : QWidget(parent) {
  setObjectName("ribbon");
  for (const CommandText& c : kCommands) {
    auto* action = new QAction(QIcon(QString(":/icons/%1.svg").arg(c.icon)), c.text, this);
    action->setObjectName(c.name);
    action->setToolTip(c.tooltip);
    action->setData(static_cast<int>(c.command));
    actions_[c.command] = action;
  }

  auto* rows = new QVBoxLayout(this);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);
  auto* top = new QHBoxLayout;
  top->setSpacing(4);
  applicationButton_ = new QToolButton(this);
  applicationButton_->setObjectName("applicationButton");
  applicationButton_->setIcon(QIcon(":/icons/tessaril.svg"));
  applicationButton_->setIconSize(QSize(kApplicationButton - 8, kApplicationButton - 8));
  applicationButton_->setFixedSize(kApplicationButton, kApplicationButton);
  applicationButton_->setAutoRaise(true);
  applicationButton_->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(applicationButton_);
  menu->addAction(actions_[Command::kOpen]);
  menu->addAction(actions_[Command::kLoadSnapshot]);
  menu->addAction(actions_[Command::kSaveSnapshot]);
  menu->addSeparator();
  exit_ = menu->addAction("Exit");
  exit_->setObjectName("exit");
  applicationButton_->setMenu(menu);
  top->addWidget(applicationButton_);
  auto* tabs = new QTabBar(this);
  tabs->setObjectName("ribbonCategories");
  tabs->addTab(kRibbonCategory);
  tabs->setDrawBase(false);
  top->addWidget(tabs, 0, Qt::AlignBottom);
  top->addStretch(1);
  rows->addLayout(top);

  auto* category = new QFrame(this);
  category->setObjectName("ribbonCategory");
  category->setFrameShape(QFrame::StyledPanel);
  auto* panels = new QHBoxLayout(category);
  panels->setContentsMargins(4, 2, 4, 2);
  panels->setSpacing(2);
  panels->addWidget(Panel("", {Command::kOpen, Command::kStop, Command::kSaveSqlData}));
  panels->addWidget(Panel("Table Records", {Command::kSaveCsvData}));
  panels->addWidget(Panel("Recovery SnapShot", {Command::kLoadSnapshot, Command::kSaveSnapshot}));
  panels->addWidget(Panel("About", {Command::kHelp, Command::kAbout}));
  panels->addStretch(1);
  rows->addWidget(category);
}

QWidget* RibbonBar::Panel(const QString& title, std::initializer_list<Command> commands) {
  auto* panel = new QFrame(this);
  panel->setObjectName(title.isEmpty() ? QString("panelMain") : "panel" + title);
  panel->setFrameShape(QFrame::NoFrame);
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(2, 0, 2, 0);
  column->setSpacing(0);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(2);
  for (Command command : commands) {
    auto* button = new QToolButton(panel);
    button->setDefaultAction(actions_[command]);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(kLargeIcon, kLargeIcon));
    button->setAutoRaise(true);
    button->setMinimumWidth(64);
    buttons_[command] = button;
    buttons->addWidget(button);
  }
  column->addLayout(buttons);
  auto* label = new QLabel(title, panel);
  label->setAlignment(Qt::AlignCenter);
  label->setEnabled(false);
  column->addWidget(label);
  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::VLine);
  line->setFrameShadow(QFrame::Sunken);
  auto* holder = new QWidget(this);
  auto* row = new QHBoxLayout(holder);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(panel);
  row->addWidget(line);
  return holder;
}

}  // namespace tessaril::ui
