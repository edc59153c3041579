// Writing rendered rows: aligned text for a terminal, TSV, CSV (RFC 4180:
// NULL an empty field, the empty string "") or JSON Lines (NULL is null).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/table_layout.h"
#include "values/row_renderer.h"

namespace tessaril::cli {

enum class RowFormat { kText, kTsv, kCsv, kJson };
std::optional<RowFormat> ParseRowFormat(const std::string& name);

// text as a JSON string: quoted, with quotes, backslashes and control
// characters escaped.
std::string JsonString(std::string_view text);

// Whether JSON carries a value of this column as a number, when its text
// reads as one exactly: the integer types and bit (bigint up to 2^53, where
// a double still holds every integer), float and real (doubles already).
// decimal and money stay strings, as their digits are exact and a double's
// are not.
bool IsJsonNumber(const ColumnDef& column, std::string_view text);

// The first 64 characters of the cell's text, then "...[N chars]" with its
// whole length (also kept as the cell's full length); shorter text unchanged.
Cell ShortenedCell(Cell cell);

// The names of the columns --provenance adds after the table's own.
inline constexpr const char* kProvenanceColumns[] = {"$status", "$page", "$slot"};

struct RowWriterOptions {
  // Cut the values of columns that hold large values (ShortenedCell), for a
  // reader at a terminal.
  bool shortenLargeValues = false;
  // Add where each row came from: live, ghost, carved or forwarded, the
  // page (file:page) and the slot.
  bool provenance = false;
};

class RowWriter {
 public:
  RowWriter(std::ostream& out, RowFormat format, const std::vector<ColumnDef>& columns,
            RowWriterOptions options = {});
  // Writes what is still buffered.
  ~RowWriter();
  RowWriter(const RowWriter&) = delete;
  RowWriter& operator=(const RowWriter&) = delete;

  // The file formats gather rows in a buffer written in blocks; the text
  // format keeps them until Finish.
  void Write(const RenderedRow& row);
  // Writes the rows gathered so far (the file formats).
  void Flush();
  // Aligned text is written once every row is known.
  void Finish();

 private:
  std::vector<Cell> Cells(const RenderedRow& row) const;
  // One field of the line being gathered: output column index (a JSON
  // object's first field opens it).
  void AppendField(std::size_t index, bool null, std::string_view text);
  void EndLine();

  std::ostream& out_;
  RowFormat format_;
  RowWriterOptions options_;
  std::vector<std::size_t> shown_;                 // indexes of the columns with storage
  std::vector<ColumnDef> columns_;                 // by shown column
  std::vector<std::string> names_;                 // by output column
  std::vector<std::vector<std::string>> pending_;  // text format only
  std::string buffer_;                             // file formats: lines not yet written
};

}  // namespace tessaril::cli
