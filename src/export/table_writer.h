// Where an export writes: one writer per format, fed table by table with
// grid pages of rendered rows, then the schema's statements.
#pragma once

#include <string>
#include <vector>

#include "base/result.h"
#include "catalog/table_layout.h"
#include "export/schema_script.h"
#include "session/scan_result.h"
#include "values/row_context.h"

namespace tessaril {

// One table as it is written: the table itself, or its table of deleted
// rows, which adds $status, $page and $slot after the columns.
struct ExportedTable {
  const CatalogObject* object = nullptr;
  const TableLayout* layout = nullptr;
  std::string quotedName;            // [dbo].[T], or [dbo].[T$deleted]
  std::string plainName;             // T, or T$deleted: file and SQLite table names
  std::vector<std::size_t> columns;  // the layout's columns written, in order
  bool deletedRows = false;
  bool identity = false;  // a column has an identity: its values are written as stored
};

// The three columns a table of deleted rows adds, and their values.
inline const std::vector<std::string> kProvenanceColumns = {"$status", "$page", "$slot"};
std::vector<std::string> ProvenanceValues(const RenderedRow& row);
// The row's cell of a layout column; NULL past the cells the row has.
const Cell& CellOf(const RenderedRow& row, std::size_t column);

class TableWriter {
 public:
  virtual ~TableWriter() = default;
  virtual Status BeginTable(const ExportedTable& table) = 0;
  // Up to 1000 rows of the table, in order.
  virtual Status WriteRows(const ExportedTable& table,
                           const std::vector<const RenderedRow*>& rows) = 0;
  virtual Status EndTable(const ExportedTable& table) = 0;
  // The keys, constraints and modules, once every table is written; then
  // everything is put in place under its final name.
  virtual Status Finish(const std::vector<SchemaStatement>& constraints,
                        const std::vector<SchemaStatement>& modules) = 0;
};

}  // namespace tessaril
