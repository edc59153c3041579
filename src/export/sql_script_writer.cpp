#include "export/sql_script_writer.h"

#include <cerrno>
#include <cstring>

#include "export/sql_text.h"

namespace tessaril {
namespace {

constexpr const char* kGo = "GO\r\n";

std::string StatementBlock(const std::vector<SchemaStatement>& statements, bool endWithSemicolon) {
  std::string text;
  for (const SchemaStatement& s : statements) {
    text += "-- " + s.kind + " " + s.name + "\r\n" + s.text + (endWithSemicolon ? ";" : "") +
            "\r\n" + kGo;
  }
  return text;
}

// Stored definitions keep the line ends they were written with; the script
// ends every line with CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

}  // namespace

const Cell& CellOf(const RenderedRow& row, std::size_t column) {
  static const Cell kNull = Cell::Null();
  return column < row.cells.size() ? row.cells[column] : kNull;
}

std::vector<std::string> ProvenanceValues(const RenderedRow& row) {
  return {RowOriginName(row.origin), ToString(row.id.page), std::to_string(row.id.slot)};
}

std::string TableDefinition(const ScanResult& scan, const ExportedTable& table) {
  if (!table.deletedRows) return CreateTableStatement(scan, *table.layout, table.quotedName);
  TableLayout plain = *table.layout;
  for (ColumnDef& c : plain.columns) {
    c.identityText.clear();  // deleted rows may repeat the live rows' keys
    c.isNullable = true;
  }
  return CreateTableStatement(
      scan, plain, table.quotedName,
      {"[$status] varchar(9) NOT NULL", "[$page] varchar(16) NOT NULL", "[$slot] int NOT NULL"});
}

std::string InsertStatement(const ExportedTable& table,
                            const std::vector<const RenderedRow*>& rows) {
  const std::vector<ColumnDef>& columns = table.layout->columns;
  std::string text = "INSERT INTO " + table.quotedName + " (";
  bool first = true;
  for (std::size_t i : table.columns) {
    if (!IsInsertable(columns[i])) continue;
    text += (first ? "" : ", ") + QuoteName(columns[i].name);
    first = false;
  }
  if (table.deletedRows) {
    for (const std::string& name : kProvenanceColumns) text += ", " + QuoteName(name);
  }
  text += ") VALUES";
  for (std::size_t r = 0; r < rows.size(); ++r) {
    text.append(r == 0 ? "\r\n(" : ",\r\n(");
    first = true;
    for (std::size_t i : table.columns) {
      if (!IsInsertable(columns[i])) continue;
      if (!first) text.append(", ");
      first = false;
      bool unreadable = false;  // counted by the export, written as NULL
      AppendSqlLiteral(text, CellOf(*rows[r], i), columns[i], unreadable);
    }
    if (table.deletedRows) {
      const std::vector<std::string> provenance = ProvenanceValues(*rows[r]);
      text.append(", ");
      AppendStringLiteral(text, provenance[0], false);
      text.append(", ");
      AppendStringLiteral(text, provenance[1], false);
      text.append(", ").append(provenance[2]);
    }
    text.push_back(')');
  }
  return text + ";\r\n";
}

Result<std::unique_ptr<SqlScriptWriter>> SqlScriptWriter::Create(const std::string& target,
                                                                 const ScanResult& scan,
                                                                 bool schemaOnly) {
  Result<OutputFile> out = OutputFile::Begin(target, scan.protectedFiles);
  if (!out) return out.failure();
  std::FILE* file = std::fopen(out->temporaryPath().c_str(), "wb");
  if (file == nullptr) return Error{"cannot write " + target, std::strerror(errno)};
  std::unique_ptr<SqlScriptWriter> writer(
      new SqlScriptWriter(std::move(out).value(), file, scan, schemaOnly));
  const std::string head = "\xEF\xBB\xBF-- The database " + scan.rootName + " as recovered from " +
                           scan.db->path() + "\r\nSET NOCOUNT ON;\r\n" + kGo;
  if (Status written = writer->Write(head); !written) return written.failure();
  return writer;
}

SqlScriptWriter::~SqlScriptWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

Status SqlScriptWriter::Write(const std::string& text) {
  if (file_ == nullptr) return Error{"cannot write " + out_.target(), "the file is closed"};
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    return Error{"cannot write " + out_.target(), std::strerror(errno)};
  }
  return {};
}

Status SqlScriptWriter::BeginTable(const ExportedTable& table) {
  std::string text =
      "\r\n-- " + table.quotedName + "\r\n" + TableDefinition(scan_, table) + ";\r\n" + kGo;
  if (!schemaOnly_ && table.identity && !table.deletedRows) {
    text += "SET IDENTITY_INSERT " + table.quotedName + " ON;\r\n" + kGo;
  }
  return Write(text);
}

Status SqlScriptWriter::WriteRows(const ExportedTable& table,
                                  const std::vector<const RenderedRow*>& rows) {
  if (schemaOnly_ || rows.empty()) return {};
  return Write(InsertStatement(table, rows) + kGo);
}

Status SqlScriptWriter::EndTable(const ExportedTable& table) {
  if (schemaOnly_ || !table.identity || table.deletedRows) return {};
  return Write("SET IDENTITY_INSERT " + table.quotedName + " OFF;\r\n" + kGo);
}

Status SqlScriptWriter::Finish(const std::vector<SchemaStatement>& constraints,
                               const std::vector<SchemaStatement>& modules) {
  std::string text = "\r\n-- Keys and constraints\r\n" + StatementBlock(constraints, true);
  text += "\r\n-- Views, functions, procedures and triggers\r\n" +
          WithCrLf(StatementBlock(modules, false));
  if (Status written = Write(text); !written) return written;
  std::FILE* file = file_;
  file_ = nullptr;
  if (std::fclose(file) != 0) return Error{"cannot write " + out_.target(), std::strerror(errno)};
  return out_.Commit();
}

}  // namespace tessaril
