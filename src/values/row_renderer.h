// Rendering the records of a table's data pages into rows of value texts.
#pragma once

#include <string>
#include <vector>

#include "catalog/table_layout.h"
#include "records/lob.h"
#include "records/record_page.h"
#include "storage/pfs.h"
#include "values/value_decoder.h"

namespace tessaril {

struct ValueCapture;

inline constexpr const char* kNullText = "NULL";

// One rendered row: a text per column of the layout, in layout order (empty
// for a column without storage), and where the record was found.
struct RenderedRow {
  std::vector<std::string> values;
  RecordId id;
  bool carved = false;
  bool ghost = false;  // a deleted row, shown because deleted rows were asked for
};

// The working state of one walk over a table's pages.
struct RowContext {
  RowContext(const TableLayout& tableLayout, const DatabaseFile& file, TextDecoding textDecoding,
             RecordOptions recordOptions, bool sql2000);

  const TableLayout& layout;
  const DatabaseFile& db;
  TextDecoding text;
  RecordOptions options;
  bool sql2000Layout = false;
  // Allocation of the pages walked: rows of a page that is no longer
  // allocated are deleted rows.
  PfsReader pfs;
  // Placement comes from the rowset column rows (2008 and later) rather than
  // from the column rows (2000) or the 2005 hobt rows.
  bool placedByRowsetColumns = false;
  // While the record grid is first filled, values that would take a walk
  // over text pages show a placeholder instead.
  bool gridLoading = false;
  // When set, keeps the stored bytes of one value as it is rendered.
  ValueCapture* capture = nullptr;
  // Reads the values stored outside the records; it keeps the text page read
  // last, which the next rows of a data page usually point into too.
  LobReader lobReader;
};

// Reads a data page and renders every record a row is shown for. Pages that
// cannot be read, or are no data pages, give no rows; a page the PFS marks
// free gives its rows as deleted rows, only when deleted rows are shown.
std::vector<RenderedRow> ReadPageRows(PageId page, RowContext& context);

// Renders the records of a decoded page.
std::vector<RenderedRow> RenderRows(const PrimaryRecordPage& page, RowContext& context);

// The text of variable value index of a record, read as the table renderer
// reads it (values stored outside the record included); the binary prefix is
// left to the caller. Shared with the module text renderers.
std::string VariableValueText(const CRecord& r, std::size_t index, const ValueLayout& layout,
                              const ColumnDef& column, RowContext& context);

}  // namespace tessaril
