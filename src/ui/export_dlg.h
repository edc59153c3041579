// Where an export goes: a SQL script, a folder of CSV files or an SQLite file.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>

#include "export/export_job.h"
#include "ui/prompts.h"

namespace tessaril::ui {

class ExportDlg final : public QDialog {
  Q_OBJECT

 public:
  ExportDlg(ExportFormat format, Prompts& prompts, QWidget* parent = nullptr);

  // The format and destination chosen.
  ExportRequest Request() const;

  QComboBox& format() { return *format_; }
  QLineEdit& destination() { return *destination_; }

 public slots:
  void accept() override;

 private:
  void Browse();
  ExportFormat Format() const;

  Prompts& prompts_;
  QComboBox* format_;
  QLineEdit* destination_;
};

}  // namespace tessaril::ui
