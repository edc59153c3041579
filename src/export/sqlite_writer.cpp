#include "export/sqlite_writer.h"

#include <sqlite3.h>

#include <charconv>
#include <cstdlib>

#include "base/hex.h"
#include "export/sql_text.h"

namespace tessaril {
namespace {

// The text of a cell as the number it reads as.
bool ParsedInteger(const std::string& text, long long& value) {
  const char* end = text.data() + text.size();
  const std::from_chars_result read = std::from_chars(text.data(), end, value);
  return !text.empty() && read.ec == std::errc() && read.ptr == end;
}

}  // namespace

void SqliteWriter::BindCell(int index, const Cell& cell, const ColumnDef& column,
                            Affinity affinity) {
  const std::string& text = cell.text;
  if (cell.null || !ReadsAsItsType(cell, column)) {
    sqlite3_bind_null(insert_, index);
    return;
  }
  long long integer = 0;
  switch (affinity) {
    case Affinity::kInteger:
      if (column.typeCode == kBitCode) {
        sqlite3_bind_int64(insert_, index, DataText(cell, column) == "1" ? 1 : 0);
      } else if (ParsedInteger(text, integer)) {
        sqlite3_bind_int64(insert_, index, integer);
      } else {
        sqlite3_bind_null(insert_, index);
      }
      return;
    case Affinity::kReal:
      sqlite3_bind_double(insert_, index, std::strtod(text.c_str(), nullptr));
      return;
    case Affinity::kBlob:
      if (cell.binary) {
        DecodeHexDigitsInto(std::string_view(text).substr(2), blob_);
        sqlite3_bind_blob64(insert_, index, blob_.data(), blob_.size(), SQLITE_TRANSIENT);
        return;
      }
      break;
    case Affinity::kText:
      break;
  }
  // The row outlives the step that reads the binding.
  sqlite3_bind_text64(insert_, index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
}

Affinity AffinityOf(const ColumnDef& column) {
  if (IsBinaryType(column.typeCode)) return Affinity::kBlob;
  switch (column.typeCode) {
    case kBigintCode:
    case kIntCode:
    case kSmallintCode:
    case kTinyintCode:
    case kBitCode:
      return Affinity::kInteger;
    case kFloatCode:
    case kRealCode:
      return Affinity::kReal;
    default:
      return Affinity::kText;
  }
}

const char* SqliteAffinity(const ColumnDef& column) {
  switch (AffinityOf(column)) {
    case Affinity::kInteger:
      return "INTEGER";
    case Affinity::kReal:
      return "REAL";
    case Affinity::kBlob:
      return "BLOB";
    default:
      return "TEXT";
  }
}

std::string SqliteName(const std::string& name) {
  std::string out = "\"";
  for (char ch : name) {
    out += ch;
    if (ch == '"') out += '"';
  }
  return out + "\"";
}

Result<std::unique_ptr<SqliteWriter>> SqliteWriter::Create(const std::string& target,
                                                           const ScanResult& scan,
                                                           bool schemaOnly) {
  Result<OutputFile> out = OutputFile::Begin(target, scan.protectedFiles);
  if (!out) return out.failure();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(out->temporaryPath().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                      nullptr) != SQLITE_OK) {
    const std::string reason = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return Error{"cannot write " + target, reason};
  }
  std::unique_ptr<SqliteWriter> writer(new SqliteWriter(std::move(out).value(), db, schemaOnly));
  // A file written once and then renamed needs no journal on the way.
  if (Status set = writer->Execute("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;"); !set) {
    return set.failure();
  }
  if (Status made =
          writer->Execute("CREATE TABLE tessaril_objects (object_id INTEGER, kind TEXT, name TEXT, "
                          "definition TEXT)");
      !made) {
    return made.failure();
  }
  return writer;
}

SqliteWriter::~SqliteWriter() {
  sqlite3_finalize(insert_);
  sqlite3_close(db_);
}

Status SqliteWriter::Failed(const std::string& what) {
  return Error{"cannot write " + out_.target(), what + ": " + sqlite3_errmsg(db_)};
}

Status SqliteWriter::Execute(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string reason = message != nullptr ? message : "unknown error";
    sqlite3_free(message);
    return Error{"cannot write " + out_.target(), reason};
  }
  return {};
}

Status SqliteWriter::BeginTable(const ExportedTable& table) {
  const std::vector<ColumnDef>& columns = table.layout->columns;
  std::string create = "CREATE TABLE " + SqliteName(table.plainName) + " (";
  std::string insert = "INSERT INTO " + SqliteName(table.plainName) + " VALUES (";
  int count = 0;
  bound_.clear();
  for (std::size_t i : table.columns) {
    if (!IsInsertable(columns[i])) continue;
    bound_.push_back({i, AffinityOf(columns[i])});
    create += std::string(count == 0 ? "" : ", ") + SqliteName(columns[i].name) + " " +
              SqliteAffinity(columns[i]);
    insert += count == 0 ? "?" : ", ?";
    ++count;
  }
  if (table.deletedRows) {
    create += ", \"$status\" TEXT, \"$page\" TEXT, \"$slot\" INTEGER";
    insert += ", ?, ?, ?";
  }
  if (Status made = Execute(create + ")"); !made) return made;
  if (Status begun = Execute("BEGIN"); !begun) return begun;
  if (sqlite3_prepare_v2(db_, (insert + ")").c_str(), -1, &insert_, nullptr) != SQLITE_OK) {
    return Failed("INSERT INTO " + table.plainName);
  }
  return {};
}

Status SqliteWriter::WriteRows(const ExportedTable& table,
                               const std::vector<const RenderedRow*>& rows) {
  if (schemaOnly_) return {};
  const std::vector<ColumnDef>& columns = table.layout->columns;
  for (const RenderedRow* row : rows) {
    int index = 1;
    for (const BoundColumn& bound : bound_) {
      BindCell(index++, CellOf(*row, bound.column), columns[bound.column], bound.affinity);
    }
    if (table.deletedRows) {
      const std::vector<std::string> provenance = ProvenanceValues(*row);
      for (int k = 0; k < 2; ++k) {
        sqlite3_bind_text(insert_, index++, provenance[static_cast<std::size_t>(k)].c_str(), -1,
                          SQLITE_TRANSIENT);
      }
      sqlite3_bind_int64(insert_, index, row->id.slot);
    }
    if (sqlite3_step(insert_) != SQLITE_DONE) return Failed("a row of " + table.plainName);
    sqlite3_reset(insert_);
  }
  return {};
}

Status SqliteWriter::EndTable(const ExportedTable&) {
  sqlite3_finalize(insert_);
  insert_ = nullptr;
  return Execute("COMMIT");
}

Status SqliteWriter::Finish(const std::vector<SchemaStatement>& constraints,
                            const std::vector<SchemaStatement>& modules) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, "INSERT INTO tessaril_objects VALUES (?, ?, ?, ?)", -1, &statement,
                         nullptr) != SQLITE_OK) {
    return Failed("tessaril_objects");
  }
  Status status = Execute("BEGIN");
  for (const auto* list : {&constraints, &modules}) {
    for (const SchemaStatement& s : *list) {
      if (!status) break;
      sqlite3_bind_int64(statement, 1, s.objectId);
      sqlite3_bind_text(statement, 2, s.kind.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(statement, 3, s.name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(statement, 4, s.text.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(statement) != SQLITE_DONE) status = Failed("tessaril_objects");
      sqlite3_reset(statement);
    }
  }
  sqlite3_finalize(statement);
  if (status) status = Execute("COMMIT");
  if (!status) return status;
  if (sqlite3_close(db_) != SQLITE_OK) return Failed("closing");
  db_ = nullptr;
  return out_.Commit();
}

}  // namespace tessaril
