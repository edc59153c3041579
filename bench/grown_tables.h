// Tables of a real data file grown far past their real size, with their data
// pages read once and held in memory, so that a benchmark can decode and
// render the same pages again and again without touching the disk.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "bench/repeated_file.h"
#include "catalog/table_layout.h"
#include "storage/database_file.h"
#include "values/collation_lookup.h"
#include "values/collation_table.h"
#include "values/row_renderer.h"

namespace tessaril::bench {

// One data page of a table as read from the file, and how many rows it
// renders.
struct KeptPage {
  PageId id;
  HeaderedPage page;
  std::size_t rows = 0;
};

// A table of an opened file: its layout, the context its rows are rendered
// with, and every data page of its layout. Refers to the file it was read
// from, which must outlive it.
class KeptTable {
 public:
  KeptTable(std::string name, TableLayout layout, const DatabaseFile& db,
            const CollationTable& collations, CollationResult databaseCollation,
            bool sql2000Layout);
  KeptTable(const KeptTable&) = delete;
  KeptTable& operator=(const KeptTable&) = delete;

  const std::string& name() const { return name_; }
  const TableLayout& layout() const { return layout_; }
  RowContext& context() { return context_; }
  const std::vector<KeptPage>& pages() const { return pages_; }
  std::uint64_t rowCount() const { return rowCount_; }
  // Columns the records store a value for.
  std::size_t storedColumnCount() const;
  // True when every stored column has a fixed width in the record.
  bool fixedWidthOnly() const;

  // Reads every data page of the layout once and counts the rows each one
  // renders. Pages that cannot be read or are no data pages are left out.
  void ReadPages();

 private:
  std::string name_;
  TableLayout layout_;  // before context_, which refers to it
  RowContext context_;
  std::vector<KeptPage> pages_;
  std::uint64_t rowCount_ = 0;
};

// The tables asked for, from a copy of a real data file in which the data
// pages of each table were appended again until it holds at least the rows
// asked for. The copy lives in a temporary folder removed with this object.
class GrownTables {
 public:
  // Opens sourcePath and lays out the named user tables, then writes the
  // copy, opens it and keeps the pages of the same tables. Fails when the
  // source cannot be opened, a table is missing or holds no rows, or the copy
  // cannot be written.
  static Result<std::unique_ptr<GrownTables>> Build(const std::string& sourcePath,
                                                    const std::vector<std::string>& tableNames,
                                                    std::uint64_t minRows,
                                                    const std::string& collationFile);
  GrownTables(const GrownTables&) = delete;
  GrownTables& operator=(const GrownTables&) = delete;

  // Null when the table was not asked for.
  KeptTable* Find(std::string_view name);
  const RepeatedFile& file() const { return *file_; }

 private:
  GrownTables() = default;

  // Declared in the order they are built; the tables refer to the opened
  // file, which refers to the copy on disk.
  CollationTable collations_;
  std::unique_ptr<RepeatedFile> file_;
  std::unique_ptr<DatabaseFile> db_;
  std::vector<std::unique_ptr<KeptTable>> tables_;
};

}  // namespace tessaril::bench
