// What a walk over a table's pages works with, and what it gives: the walk's
// state and the rendered rows of typed cells.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/table_layout.h"
#include "records/lob.h"
#include "records/record_page.h"
#include "storage/pfs.h"
#include "values/record_shape.h"
#include "values/value_decoder.h"

namespace tessaril {

struct ValueCapture;

// How the grid shows NULL.
inline constexpr const char* kNullText = "NULL";

// One value of a rendered row. NULL is a flag, never a text: a string that
// reads "NULL" is a value like any other.
struct Cell {
  std::string text;  // the value's text; empty for NULL
  bool null = false;
  bool binary = false;  // text is the stored bytes in hex, "0x" first
  bool large = false;   // a value the column may keep outside the record
  // When the text was shortened for display: the whole value's length in
  // characters; 0 when the text is whole.
  std::uint64_t fullLength = 0;

  static Cell Null() { return Cell{{}, true}; }
  static Cell Text(std::string text) { return Cell{std::move(text)}; }
  // The text a grid shows: kNullText for NULL.
  std::string_view Shown() const { return null ? std::string_view(kNullText) : text; }
  friend bool operator==(const Cell&, const Cell&) = default;
};

// Whether values of a type are bytes shown as "0x..." hex: binary,
// varbinary, image, timestamp and the CLR types.
bool IsBinaryType(std::int32_t typeCode);

// The text a data file (CSV, TSV, JSON) carries for a non-NULL cell of this
// column: a bit is 1 or 0, as SQL Server's own tools write it, where the grid
// shows True and False; any other value its text.
std::string_view DataText(const Cell& cell, const ColumnDef& column);

// Where a rendered row was found.
enum class RowOrigin : std::uint8_t {
  kLive,       // a record of the table
  kGhost,      // a deleted record still in its slot, or a row of a page no longer allocated
  kCarved,     // a record carved from a page's free space
  kForwarded,  // a record moved to another page, reached through its forwarding stub
};
const char* RowOriginName(RowOrigin origin);  // "live", "ghost", "carved", "forwarded"

// One rendered row: a cell per column of the layout, in layout order (empty
// for a column without storage), and where the record was found.
struct RenderedRow {
  std::vector<Cell> cells;
  RecordId id;
  RowOrigin origin = RowOrigin::kLive;

  bool deleted() const { return origin == RowOrigin::kGhost || origin == RowOrigin::kCarved; }
};

// The working state of one walk over a table's pages.
struct RowContext {
  RowContext(const TableLayout& tableLayout, const DatabaseFile& file, TextDecoding textDecoding,
             RecordOptions recordOptions, bool sql2000);

  const TableLayout& layout;
  // DescribeValue of each column of the layout, in layout order: worked out
  // once for the walk, not once per value.
  std::vector<ValueLayout> valueLayouts;
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
  // What the table's records can look like; a record that does not fit is
  // damage and gives no row. Shared by copies of the context, whose options
  // point at it.
  std::shared_ptr<const ShapeFit> shape;
  // Records of the walk's pages left out as damage: refused by the shape, or
  // by their page's slot and placement checks.
  std::size_t damagedRecords = 0;
};

}  // namespace tessaril
