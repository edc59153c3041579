// The SQLite export: one table per recovered table with its column names as
// they are, type affinity from the SQL Server type (integers INTEGER,
// float and real REAL, binary BLOB, decimal and money TEXT to stay exact,
// dates as their ISO text), real NULLs, deleted rows in "T$deleted", and a
// table tessaril_objects with every module's definition and every
// constraint statement. Written through Debian's libsqlite3.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/output_file.h"
#include "export/table_writer.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tessaril {

// The SQLite type affinity a column gets.
enum class Affinity { kInteger, kReal, kBlob, kText };

class SqliteWriter final : public TableWriter {
 public:
  static Result<std::unique_ptr<SqliteWriter>> Create(const std::string& target,
                                                      const ScanResult& scan, bool schemaOnly);
  ~SqliteWriter() override;

  Status BeginTable(const ExportedTable& table) override;
  Status WriteRows(const ExportedTable& table,
                   const std::vector<const RenderedRow*>& rows) override;
  Status EndTable(const ExportedTable& table) override;
  Status Finish(const std::vector<SchemaStatement>& constraints,
                const std::vector<SchemaStatement>& modules) override;

 private:
  struct BoundColumn {
    std::size_t column;  // in the layout
    Affinity affinity;
  };
  SqliteWriter(OutputFile out, sqlite3* db, bool schemaOnly)
      : out_(std::move(out)), db_(db), schemaOnly_(schemaOnly) {}
  Status Execute(const std::string& sql);
  Status Failed(const std::string& what);
  // Binds a cell by its column's affinity; a value that does not read as
  // its type is bound as NULL.
  void BindCell(int index, const Cell& cell, const ColumnDef& column, Affinity affinity);

  OutputFile out_;
  sqlite3* db_;
  bool schemaOnly_;
  sqlite3_stmt* insert_ = nullptr;
  std::vector<BoundColumn> bound_;  // the columns of the insert, in order
  std::vector<std::uint8_t> blob_;  // a binary value's bytes, reused
};

// The SQLite type a column gets, and its name: "INTEGER", "REAL", "BLOB"
// or "TEXT".
Affinity AffinityOf(const ColumnDef& column);
const char* SqliteAffinity(const ColumnDef& column);
// "\"name\"", a '"' inside doubled.
std::string SqliteName(const std::string& name);

}  // namespace tessaril
