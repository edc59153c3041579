// The SQL script export: UTF-8 with a byte-order mark and CR LF line ends,
// as sqlcmd and the SQL Server tools read it; runs on an empty database.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "base/output_file.h"
#include "export/table_writer.h"

namespace tessaril {

class SqlScriptWriter final : public TableWriter {
 public:
  // Opens the temporary file of target; the script appears under target
  // only when Finish succeeds.
  static Result<std::unique_ptr<SqlScriptWriter>> Create(const std::string& target,
                                                         const ScanResult& scan, bool schemaOnly);
  ~SqlScriptWriter() override;

  Status BeginTable(const ExportedTable& table) override;
  Status WriteRows(const ExportedTable& table,
                   const std::vector<const RenderedRow*>& rows) override;
  Status EndTable(const ExportedTable& table) override;
  Status Finish(const std::vector<SchemaStatement>& constraints,
                const std::vector<SchemaStatement>& modules) override;

 private:
  SqlScriptWriter(OutputFile out, std::FILE* file, const ScanResult& scan, bool schemaOnly)
      : out_(std::move(out)), file_(file), scan_(scan), schemaOnly_(schemaOnly) {}
  Status Write(const std::string& text);

  OutputFile out_;
  std::FILE* file_;
  const ScanResult& scan_;
  bool schemaOnly_;
};

// The script's statements for a table: CREATE TABLE, and for a table of
// deleted rows the same with the provenance columns (and no identity).
std::string TableDefinition(const ScanResult& scan, const ExportedTable& table);
// "INSERT INTO [dbo].[T] ([a], [b]) VALUES\r\n(1, N'x'),\r\n(2, NULL);" for up
// to 1000 rows.
std::string InsertStatement(const ExportedTable& table,
                            const std::vector<const RenderedRow*>& rows);

}  // namespace tessaril
