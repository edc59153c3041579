// value: one value of one row, as text or as its stored bytes.
#include <strings.h>
#include <algorithm>
#include <fstream>
#include <iostream>
#include <optional>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/opened_table.h"
#include "session/record_pager.h"
#include "values/large_value.h"

namespace tessaril::cli {

const char* const kValueUsage =
    "usage: tessaril-cli value FILE TABLE --row N --column NAME [--raw OUT]\n"
    "                          [--advanced] [--deleted] [--carve]\n"
    "  One value of a table, in full: row N counts the rows as 'rows' lists them\n"
    "  with the same options (from 1). The value's text goes to stdout.\n"
    "  --raw OUT   write the value's stored bytes to OUT instead ('-' for stdout):\n"
    "              for a value kept outside its row (text, ntext, image, the (max)\n"
    "              types) the bytes assembled from its pages, byte for byte\n"
    "  --advanced, --deleted, --carve  as for rows\n";

namespace {

// The column of that name: spelt exactly, else the one name that matches
// without regard to case.
std::optional<std::size_t> FindColumn(const std::vector<ColumnDef>& columns,
                                      const std::string& name) {
  std::optional<std::size_t> folded;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].physicalOrdinal == kNoStorage || columns[i].name.empty()) continue;
    if (columns[i].name == name) return i;
    if (strcasecmp(columns[i].name.c_str(), name.c_str()) == 0) folded = i;
  }
  return folded;
}

// The n-th row (from 1) of the walk, or how many rows there are.
std::optional<RenderedRow> NthRow(RecordPager& pager, std::int64_t n, std::int64_t& rowsSeen) {
  rowsSeen = 0;
  for (GridPage page = pager.First();; page = pager.Next()) {
    const auto count = static_cast<std::int64_t>(page.rows.size());
    if (n <= rowsSeen + count) return page.rows[static_cast<std::size_t>(n - rowsSeen - 1)];
    rowsSeen += count;
    if (!pager.hasNext()) return std::nullopt;
  }
}

bool WriteBytes(const std::string& out, const std::vector<std::uint8_t>& bytes) {
  const auto* data = reinterpret_cast<const char*>(bytes.data());
  if (out == "-") {
    std::cout.write(data, static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(std::cout.flush());
  }
  std::ofstream file(out, std::ios::binary | std::ios::trunc);
  file.write(data, static_cast<std::streamsize>(bytes.size()));
  file.close();
  return static_cast<bool>(file);
}

}  // namespace

int ValueCommand(const std::vector<std::string>& words) {
  const CommandLine line =
      ParseCommandLine(words, kValueUsage, 2, {"--deleted", "--carve", "--advanced"},
                       {"--row", "--column", "--raw"});
  if (!line.args) return line.status;
  const Arguments& args = *line.args;
  std::int64_t rowNumber = 0;
  try {
    if (auto text = args.Value("--row")) rowNumber = std::stoll(*text);
  } catch (const std::exception&) {
    rowNumber = 0;
  }
  const std::optional<std::string> columnName = args.Value("--column");
  if (rowNumber < 1 || !columnName) {
    PrintError(rowNumber < 1 ? "--row takes a row number from 1" : "--column NAME is needed");
    std::cerr << kValueUsage;
    return kExitUsage;
  }
  int status = kExitOk;
  const std::unique_ptr<OpenedTable> table = OpenTable(args, status);
  if (!table) return status;
  const std::optional<std::size_t> column = FindColumn(table->layout.columns, *columnName);
  if (!column) {
    PrintError("table " + args.positional[1] + " has no column named " + *columnName);
    return kExitFailed;
  }
  RowContext context = table->MakeContext();
  RecordPager pager(table->catalog, context, args.Has("--advanced"));
  std::int64_t rowsSeen = 0;
  const std::optional<RenderedRow> row = NthRow(pager, rowNumber, rowsSeen);
  if (!row) {
    PrintError("row " + std::to_string(rowNumber) + " is out of range: the table has " +
               std::to_string(rowsSeen) + " row(s)");
    return kExitFailed;
  }
  const std::optional<std::string> out = args.Value("--raw");
  if (!out) {
    std::cout << row->values[*column] << '\n';
    return kExitOk;
  }
  // The row's page once more, keeping the bytes of this one value.
  ValueCapture capture{row->id, *column, std::nullopt};
  context.capture = &capture;
  (void)ReadPageRows(row->id.page, context);
  if (!capture.bytes) {
    PrintError("the value has no stored bytes (it is NULL or could not be read)");
    return kExitFailed;
  }
  if (!WriteBytes(*out, *capture.bytes)) {
    PrintError("cannot write " + *out);
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace tessaril::cli
