// Writing rendered rows: aligned text for a terminal, TSV, CSV (RFC 4180:
// NULL an empty field, the empty string "") or JSON Lines (NULL is null).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "catalog/table_layout.h"
#include "values/row_renderer.h"

namespace tessaril::cli {

enum class RowFormat { kText, kTsv, kCsv, kJson };
std::optional<RowFormat> ParseRowFormat(const std::string& name);

// text as a JSON string: quoted, with quotes, backslashes and control
// characters escaped.
std::string JsonString(const std::string& text);

// The first 64 characters of the cell's text, then "...[N chars]" with its
// whole length (also kept as the cell's full length); shorter text unchanged.
Cell ShortenedCell(Cell cell);

class RowWriter {
 public:
  // shortenLargeValues cuts the values of columns that hold large values
  // (ShortenedCell) for a reader at a terminal.
  RowWriter(std::ostream& out, RowFormat format, const std::vector<ColumnDef>& columns,
            bool shortenLargeValues = false);
  void Write(const RenderedRow& row);
  // Aligned text is written once every row is known.
  void Finish();

 private:
  std::vector<Cell> Cells(const RenderedRow& row) const;
  void WriteHeader();
  void WriteLine(const std::vector<Cell>& cells);

  std::ostream& out_;
  RowFormat format_;
  std::vector<std::size_t> shown_;  // indexes of the columns with storage
  std::vector<bool> shortened_;     // by shown column
  std::vector<std::string> names_;
  std::vector<std::vector<std::string>> pending_;  // text format only
};

}  // namespace tessaril::cli
