#include "ui/file_setting_dlg.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/ui_events.h"
#include "ui/ui_texts.h"

namespace tessaril::ui {

namespace {

// A path edit with its "..." button; only the browse button fills a
// read-only one.
QHBoxLayout* PathRow(QLineEdit* edit, QPushButton* button, bool readOnly = true) {
  auto* row = new QHBoxLayout;
  edit->setReadOnly(readOnly);
  edit->setMinimumWidth(420);
  button->setFixedWidth(32);
  row->addWidget(edit, 1);
  row->addWidget(button);
  return row;
}

}  // namespace

CVantorFileSettingDlg::CVantorFileSettingDlg(ScanOptions& options, const CollationTable& collations,
                                             Prompts& prompts, QWidget* parent)
    : QDialog(parent), options_(options), prompts_(prompts) {
  setObjectName("CVantorFileSettingDlg");
  setWindowTitle(kOptionsDialogTitle);
  dataFile_ = new QLineEdit(this);
  dataFile_->setObjectName("dataFilePath");
  browseFile_ = new QPushButton("...", this);
  browseFile_->setObjectName("browseDataFile");
  mode_ = new QComboBox(this);
  mode_->setObjectName("recoveryMode");
  mode_->addItem("Standard Mode");
  mode_->addItem("Advanced Mode");
  mode_->setCurrentIndex(0);
  sql2000_ = new QCheckBox("Is SQL 2000", this);
  sql2000_->setObjectName("isSql2000");
  deleted_ = new QCheckBox("Show deleted records", this);
  deleted_->setObjectName("showDeletedRecords");
  advancedDeleted_ = new QCheckBox("Show Advanced Deleted records", this);
  advancedDeleted_->setObjectName("showAdvancedDeletedRecords");
  auto_ = new QRadioButton("Auto detect", this);
  auto_->setObjectName("autoDetect");
  manual_ = new QRadioButton("Manual", this);
  manual_->setObjectName("manual");
  collations_ = new QComboBox(this);
  collations_->setObjectName("collationList");
  // The list sorts itself by name; each entry carries the collation's id.
  std::vector<std::pair<QString, std::int64_t>> names;
  for (const auto& [id, entry] : collations.entries())
    names.emplace_back(ToQString(entry.name), id);
  std::sort(names.begin(), names.end());
  for (const auto& [name, id] : names) {
    collations_->addItem(name, QVariant::fromValue(static_cast<quint32>(id & 0xFFFFFFFF)));
  }
  logFolder_ = new QLineEdit(ToQString(DesktopFolder()), this);
  logFolder_->setObjectName("logFolder");
  browseFolder_ = new QPushButton("...", this);
  browseFolder_->setObjectName("browseLogFolder");
  schemaFrom_ = new QLineEdit(ToQString(options.schemaFrom), this);
  schemaFrom_->setObjectName("schemaFrom");
  schemaFrom_->setPlaceholderText("optional: another copy of the database or its .sql script");
  schemaFrom_->setClearButtonEnabled(true);
  browseSchema_ = new QPushButton("...", this);
  browseSchema_->setObjectName("browseSchema");

  auto* form = new QFormLayout;
  form->addRow("Select MDF File Path:", PathRow(dataFile_, browseFile_));
  form->addRow("Select Recovery Mode:", mode_);
  auto* boxes = new QHBoxLayout;
  boxes->addWidget(sql2000_);
  boxes->addWidget(deleted_);
  boxes->addWidget(advancedDeleted_);
  form->addRow("", boxes);
  auto* group = new QGroupBox("Collation Option:", this);
  auto* groupRow = new QHBoxLayout(group);
  groupRow->addWidget(auto_);
  groupRow->addWidget(manual_);
  groupRow->addWidget(collations_, 1);
  form->addRow(group);
  form->addRow("Select Log file path:", PathRow(logFolder_, browseFolder_));
  form->addRow("Schema of lost tables:", PathRow(schemaFrom_, browseSchema_, false));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
  auto* column = new QVBoxLayout(this);
  column->addLayout(form);
  column->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &CVantorFileSettingDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CVantorFileSettingDlg::reject);
  connect(browseFile_, &QPushButton::clicked, this, &CVantorFileSettingDlg::BrowseDataFile);
  connect(browseFolder_, &QPushButton::clicked, this, &CVantorFileSettingDlg::BrowseLogFolder);
  connect(browseSchema_, &QPushButton::clicked, this, &CVantorFileSettingDlg::BrowseSchema);
  connect(auto_, &QRadioButton::clicked, this, [this] { ChooseCollationMode(true); });
  connect(manual_, &QRadioButton::clicked, this, [this] { ChooseCollationMode(false); });
  connect(collations_, &QComboBox::activated, this, [this](int index) {
    options_.manualCollationId = collations_->itemData(index).value<quint32>();
  });
  auto_->setChecked(true);
  ChooseCollationMode(true);
}

void CVantorFileSettingDlg::ChooseCollationMode(bool automatic) {
  auto_->setChecked(automatic);
  manual_->setChecked(!automatic);
  collations_->setEnabled(!automatic);
  options_.collationMode = automatic ? kAutomaticCollation : kManualCollation;
}

void CVantorFileSettingDlg::BrowseDataFile() {
  const QString path = prompts_.OpenFile(this, kOptionsDialogTitle, kMdfFilter);
  if (path.isEmpty()) return;
  if (!QFileInfo(path).isFile()) {
    prompts_.Information(this, kInvalidMdfFileText);
    return;
  }
  dataFile_->setText(path);
}

void CVantorFileSettingDlg::BrowseLogFolder() {
  const QString path = prompts_.ChooseFolder(this, kLogFolderBrowseTitle).trimmed();
  if (!path.isEmpty() && QFileInfo(path).isDir()) logFolder_->setText(path);
}

void CVantorFileSettingDlg::BrowseSchema() {
  const QString path = prompts_.OpenFile(this, kSchemaBrowseTitle, kSchemaFilter);
  if (!path.isEmpty()) schemaFrom_->setText(path);
}

void CVantorFileSettingDlg::accept() {
  ScanOptionsEntry entry;
  entry.dataFilePath = dataFile_->text().toStdString();
  entry.logFolder = logFolder_->text().toStdString();
  if (mode_->currentIndex() >= 0) entry.recoveryModeIndex = mode_->currentIndex();
  entry.isSql2000 = sql2000_->isChecked();
  entry.showDeletedRecords = deleted_->isChecked();
  entry.showAdvancedDeletedRecords = advancedDeleted_->isChecked();
  entry.schemaFrom = schemaFrom_->text().trimmed().toStdString();
  const Status confirmed = ConfirmScanOptions(entry, options_);
  if (!confirmed) {
    prompts_.Information(this, ToQString(confirmed.failure().message));
    return;
  }
  QDialog::accept();
}

}  // namespace tessaril::ui
