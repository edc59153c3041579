// Writing rendered rows: aligned text for a terminal, TSV, CSV (RFC 4180)
// or JSON (one object a line).
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

// The first 64 characters of text, then "...[N chars]" with its whole
// length; shorter text unchanged.
std::string ShortenedLargeValue(const std::string& text);

class RowWriter {
 public:
  // shortenLargeValues cuts the values of columns that hold large values
  // (ShortenedLargeValue) for a reader at a terminal.
  RowWriter(std::ostream& out, RowFormat format, const std::vector<ColumnDef>& columns,
            bool shortenLargeValues = false);
  void Write(const RenderedRow& row);
  // Aligned text is written once every row is known.
  void Finish();

 private:
  std::vector<std::string> Cells(const RenderedRow& row) const;
  void WriteLine(const std::vector<std::string>& cells, bool header);

  std::ostream& out_;
  RowFormat format_;
  std::vector<std::size_t> shown_;  // indexes of the columns with storage
  std::vector<bool> shortened_;     // by shown column
  std::vector<std::string> names_;
  std::vector<std::vector<std::string>> pending_;  // text format only
};

}  // namespace tessaril::cli
