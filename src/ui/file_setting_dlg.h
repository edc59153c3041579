// The options of the next scan: data file, recovery mode, deleted records,
// log folder, collation, and the schema tables whose catalog rows are lost
// are laid out from. OK stores them in the session's ScanOptions once
// the paths pass the session's checks.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "session/scan_options.h"
#include "ui/prompts.h"
#include "values/collation_table.h"

namespace tessaril::ui {

class CVantorFileSettingDlg final : public QDialog {
  Q_OBJECT

 public:
  CVantorFileSettingDlg(ScanOptions& options, const CollationTable& collations, Prompts& prompts,
                        QWidget* parent = nullptr);

  // The controls, for tests and the screenshots.
  QLineEdit& dataFilePath() { return *dataFile_; }
  QLineEdit& logFolder() { return *logFolder_; }
  QComboBox& recoveryMode() { return *mode_; }
  QCheckBox& isSql2000() { return *sql2000_; }
  QCheckBox& showDeleted() { return *deleted_; }
  QCheckBox& showAdvancedDeleted() { return *advancedDeleted_; }
  QRadioButton& autoDetect() { return *auto_; }
  QRadioButton& manual() { return *manual_; }
  QComboBox& collationList() { return *collations_; }
  QPushButton& browseDataFile() { return *browseFile_; }
  QPushButton& browseLogFolder() { return *browseFolder_; }
  QLineEdit& schemaFrom() { return *schemaFrom_; }
  QPushButton& browseSchema() { return *browseSchema_; }

 public slots:
  // OK: the checks, then the options are stored and the dialog closes.
  void accept() override;

 private:
  void BrowseDataFile();
  void BrowseLogFolder();
  void BrowseSchema();
  void ChooseCollationMode(bool automatic);

  ScanOptions& options_;
  Prompts& prompts_;
  QLineEdit* dataFile_;
  QPushButton* browseFile_;
  QComboBox* mode_;
  QCheckBox* sql2000_;
  QCheckBox* deleted_;
  QCheckBox* advancedDeleted_;
  QRadioButton* auto_;
  QRadioButton* manual_;
  QComboBox* collations_;
  QLineEdit* logFolder_;
  QPushButton* browseFolder_;
  // Optional: the schema lost tables are laid out from; typed or cleared freely.
  QLineEdit* schemaFrom_;
  QPushButton* browseSchema_;
};

}  // namespace tessaril::ui
