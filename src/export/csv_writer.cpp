#include "export/csv_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/hex.h"
#include "catalog/table_layout.h"
#include "export/sql_script_writer.h"
#include "export/sql_text.h"

namespace tessaril {
namespace {

namespace fs = std::filesystem;

Status WriteWhole(const std::string& path, const ProtectedFiles& protectedFiles,
                  const std::string& text) {
  return WriteOutputFile(path, protectedFiles, text.data(), text.size());
}

std::string SafeFilePart(const std::string& text) {
  std::string out;
  for (char ch : text) out += (ch == '/' || ch == '\\' || ch == '\0' || ch == ':') ? '_' : ch;
  return out;
}

}  // namespace

void AppendCsvQuoted(std::string& out, std::string_view text) {
  const auto special = [](char ch) { return ch == ',' || ch == '"' || ch == '\r' || ch == '\n'; };
  if (!text.empty() && std::none_of(text.begin(), text.end(), special)) {
    out += text;
    return;
  }
  out += '"';
  for (char ch : text) {
    if (ch == '"') out += '"';
    out += ch;
  }
  out += '"';
}

std::string CsvQuoted(std::string_view text) {
  std::string out;
  AppendCsvQuoted(out, text);
  return out;
}

std::string TableFileName(const Catalog& catalog, const CatalogObject& object,
                          const std::string& plainName) {
  const std::string schema = catalog.SchemaName(object.schemaId);
  const std::string name = schema.empty() || schema == "dbo" ? plainName : schema + "." + plainName;
  return SafeFilePart(name);
}

Result<std::unique_ptr<CsvWriter>> CsvWriter::Create(const std::string& folder,
                                                     const std::string& blobFolder,
                                                     const ScanResult& scan) {
  std::error_code ec;
  for (const std::string& dir : {folder, blobFolder}) {
    if (dir.empty()) continue;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) return Error{"cannot create the folder " + dir, ec.message()};
  }
  return std::unique_ptr<CsvWriter>(new CsvWriter(folder, blobFolder, scan));
}

CsvWriter::~CsvWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

Status CsvWriter::Write(const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    return Error{"cannot write " + outputs_.back()->target(), std::strerror(errno)};
  }
  return {};
}

Status CsvWriter::BeginTable(const ExportedTable& table) {
  const std::string fileName =
      TableFileName(scan_.catalog, *table.object, table.plainName) + ".csv";
  const std::string path = (fs::path(folder_) / fileName).string();
  Result<OutputFile> out = OutputFile::Begin(path, scan_.protectedFiles);
  if (!out) return out.failure();
  outputs_.push_back(std::make_unique<OutputFile>(std::move(out).value()));
  file_ = std::fopen(outputs_.back()->temporaryPath().c_str(), "wb");
  if (file_ == nullptr) return Error{"cannot write " + path, std::strerror(errno)};
  rowNumber_ = 0;
  std::string header;
  for (std::size_t i : table.columns) {
    if (!IsInsertable(table.layout->columns[i])) continue;
    header += (header.empty() ? "" : ",") + CsvQuoted(table.layout->columns[i].name);
  }
  if (table.deletedRows) {
    for (const std::string& name : kProvenanceColumns) header += "," + name;
  }
  schema_ += "-- " + table.quotedName + "\r\n" + TableDefinition(scan_, table) + ";\r\nGO\r\n";
  load_ += "BULK INSERT " + table.quotedName + " FROM " +
           StringLiteral(fs::absolute(path).string(), true) +
           " WITH (FORMAT = 'CSV', FIRSTROW = 2, CODEPAGE = '65001'" +
           (table.identity && !table.deletedRows ? ", KEEPIDENTITY" : "") + ");\r\nGO\r\n";
  return Write(header + "\r\n");
}

void CsvWriter::AppendField(std::string& out, const ExportedTable& table, const RenderedRow& row,
                            std::size_t column) {
  const Cell& cell = CellOf(row, column);
  const ColumnDef& c = table.layout->columns[column];
  if (cell.null || !ReadsAsItsType(cell, c)) return;
  if (c.typeCode == kBitCode) {
    out += DataText(cell, c);
    return;
  }
  if (cell.binary && !blobFolder_.empty()) {
    const std::string name = TableFileName(scan_.catalog, *table.object, table.plainName) + "." +
                             std::to_string(rowNumber_) + "." + SafeFilePart(c.name) + ".bin";
    const std::vector<std::uint8_t> bytes = DecodeHexDigits(std::string_view(cell.text).substr(2));
    if (WriteOutputFile((fs::path(blobFolder_) / name).string(), scan_.protectedFiles, bytes.data(),
                        bytes.size())
            .ok()) {
      AppendCsvQuoted(out, name);
      return;
    }
  }
  AppendCsvQuoted(out, cell.text);
}

Status CsvWriter::WriteRows(const ExportedTable& table,
                            const std::vector<const RenderedRow*>& rows) {
  std::string& text = rowsText_;
  text.clear();
  for (const RenderedRow* row : rows) {
    ++rowNumber_;
    bool first = true;
    for (std::size_t i : table.columns) {
      if (!IsInsertable(table.layout->columns[i])) continue;
      if (!first) text += ',';
      first = false;
      AppendField(text, table, *row, i);
    }
    if (table.deletedRows) {
      for (const std::string& value : ProvenanceValues(*row)) {
        text += ',';
        AppendCsvQuoted(text, value);
      }
    }
    text += "\r\n";
  }
  return Write(text);
}

Status CsvWriter::EndTable(const ExportedTable&) {
  std::FILE* file = file_;
  file_ = nullptr;
  if (std::fclose(file) != 0) {
    return Error{"cannot write " + outputs_.back()->target(), std::strerror(errno)};
  }
  return {};
}

Status CsvWriter::Finish(const std::vector<SchemaStatement>& constraints,
                         const std::vector<SchemaStatement>& modules) {
  // The keys and modules go after the rows are loaded, so that the order of
  // the files does not trip a foreign key.
  std::string after = "\xEF\xBB\xBF";
  for (const SchemaStatement& s : constraints) after += s.text + ";\r\nGO\r\n";
  for (const SchemaStatement& s : modules) after += s.text + "\r\nGO\r\n";
  const std::pair<const char*, std::string> files[] = {{"schema.sql", "\xEF\xBB\xBF" + schema_},
                                                       {"load.sql", "\xEF\xBB\xBF" + load_},
                                                       {"constraints.sql", after}};
  for (const auto& [name, text] : files) {
    const Status written =
        WriteWhole((fs::path(folder_) / name).string(), scan_.protectedFiles, text);
    if (!written) return written;
  }
  for (const std::unique_ptr<OutputFile>& out : outputs_) {
    if (Status committed = out->Commit(); !committed) return committed;
  }
  return {};
}

}  // namespace tessaril
