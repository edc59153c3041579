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

class RowWriter {
 public:
  RowWriter(std::ostream& out, RowFormat format, const std::vector<ColumnDef>& columns);
  void Write(const RenderedRow& row);
  // Aligned text is written once every row is known.
  void Finish();

 private:
  std::vector<std::string> Cells(const RenderedRow& row) const;
  void WriteLine(const std::vector<std::string>& cells, bool header);

  std::ostream& out_;
  RowFormat format_;
  std::vector<std::size_t> shown_;  // indexes of the columns with storage
  std::vector<std::string> names_;
  std::vector<std::vector<std::string>> pending_;  // text format only
};

}  // namespace tessaril::cli
