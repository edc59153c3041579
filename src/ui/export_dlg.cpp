#include "ui/export_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaril::ui {

namespace {

struct FormatChoice {
  ExportFormat format;
  const char* text;
  const char* filter;  // empty: a folder
};

constexpr FormatChoice kFormats[] = {
    {ExportFormat::kSqlScript, "SQL script", "SQL script (*.sql)"},
    {ExportFormat::kCsv, "CSV files in a folder", ""},
    {ExportFormat::kSqlite, "SQLite file", "SQLite database (*.db *.sqlite)"},
};

constexpr const char* kNoDestinationText = "Please select where to save the recovered data.";

}  // namespace

ExportDlg::ExportDlg(ExportFormat format, Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
  setObjectName("exportDialog");
  setWindowTitle("Save Recovered Data");
  format_ = new QComboBox(this);
  format_->setObjectName("exportFormat");
  for (const FormatChoice& choice : kFormats) {
    format_->addItem(choice.text, static_cast<int>(choice.format));
  }
  format_->setCurrentIndex(format_->findData(static_cast<int>(format)));
  destination_ = new QLineEdit(this);
  destination_->setObjectName("exportDestination");
  destination_->setMinimumWidth(420);
  auto* browse = new QPushButton("...", this);
  browse->setObjectName("browseDestination");
  browse->setFixedWidth(32);
  auto* row = new QHBoxLayout;
  row->addWidget(destination_, 1);
  row->addWidget(browse);
  auto* form = new QFormLayout;
  form->addRow("Save as:", format_);
  form->addRow("Destination:", row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* column = new QVBoxLayout(this);
  column->addLayout(form);
  column->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &ExportDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ExportDlg::reject);
  connect(browse, &QPushButton::clicked, this, &ExportDlg::Browse);
  connect(format_, &QComboBox::currentIndexChanged, destination_, &QLineEdit::clear);
}

ExportFormat ExportDlg::Format() const {
  return static_cast<ExportFormat>(format_->currentData().toInt());
}

ExportRequest ExportDlg::Request() const {
  ExportRequest request;
  request.format = Format();
  request.destination = destination_->text().trimmed().toStdString();
  return request;
}

void ExportDlg::Browse() {
  for (const FormatChoice& choice : kFormats) {
    if (choice.format != Format()) continue;
    const QString path = *choice.filter == '\0'
                             ? prompts_.ChooseFolder(this, windowTitle())
                             : prompts_.SaveFile(this, windowTitle(), choice.filter);
    if (!path.isEmpty()) destination_->setText(path);
  }
}

void ExportDlg::accept() {
  if (destination_->text().trimmed().isEmpty()) {
    prompts_.Information(this, kNoDestinationText);
    return;
  }
  QDialog::accept();
}

}  // namespace tessaril::ui
