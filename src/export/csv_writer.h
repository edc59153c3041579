// The CSV export: one RFC 4180 file per table in a folder (UTF-8, a header
// row, CR LF, NULL an empty field and the empty string ""), binary values as
// 0x... or, with a blob folder, as files the cells name; beside them
// schema.sql with the tables, load.sql with one BULK INSERT per table, and
// constraints.sql with the keys, constraints and modules: run in that order,
// they load the files back into SQL Server.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/output_file.h"
#include "export/table_writer.h"

namespace tessaril {

class CsvWriter final : public TableWriter {
 public:
  // folder is created when missing; blobFolder, when not empty, receives
  // one file per binary or large binary value.
  static Result<std::unique_ptr<CsvWriter>> Create(const std::string& folder,
                                                   const std::string& blobFolder,
                                                   const ScanResult& scan);
  ~CsvWriter() override;

  Status BeginTable(const ExportedTable& table) override;
  Status WriteRows(const ExportedTable& table,
                   const std::vector<const RenderedRow*>& rows) override;
  Status EndTable(const ExportedTable& table) override;
  Status Finish(const std::vector<SchemaStatement>& constraints,
                const std::vector<SchemaStatement>& modules) override;

 private:
  CsvWriter(std::string folder, std::string blobFolder, const ScanResult& scan)
      : folder_(std::move(folder)), blobFolder_(std::move(blobFolder)), scan_(scan) {}
  Status Write(const std::string& text);
  // Appends the field of a column of row to out.
  void AppendField(std::string& out, const ExportedTable& table, const RenderedRow& row,
                   std::size_t column);

  std::string folder_;
  std::string blobFolder_;
  const ScanResult& scan_;
  // Every table's file, put in place together when the export completes.
  std::vector<std::unique_ptr<OutputFile>> outputs_;
  std::FILE* file_ = nullptr;  // the table being written
  std::string schema_;         // schema.sql, written at the end
  std::string load_;           // load.sql
  std::uint64_t rowNumber_ = 0;
  std::string rowsText_;  // the lines of the rows being written, kept for its room
};

// One RFC 4180 field: quoted when it holds a comma, a quote, a line end,
// or is empty (so that the empty string differs from NULL).
std::string CsvQuoted(std::string_view text);
void AppendCsvQuoted(std::string& out, std::string_view text);
// A file name for a table: its name, with its schema when that is not dbo;
// characters a file name cannot hold replaced by "_".
std::string TableFileName(const Catalog& catalog, const CatalogObject& object,
                          const std::string& plainName);

}  // namespace tessaril
