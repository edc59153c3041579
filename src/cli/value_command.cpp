// value: one value of one row, as text or as its stored bytes.
#include <strings.h>
#include <algorithm>
#include <iostream>
#include <optional>

#include "base/output_file.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/opened_table.h"
#include "cli/terminal_events.h"
#include "values/large_value.h"

namespace tessaril::cli {

const char* const kValueUsage =
    "usage: tessaril-cli value FILE TABLE --row N --column NAME [--raw OUT]\n"
    "                          [--advanced] [--deleted] [--carve] [--schema-from OTHER]\n"
    "  One value of a table, in full: row N counts the rows as 'rows' lists them\n"
    "  with the same options (from 1). The value's text goes to stdout.\n"
    "  --raw OUT   write the value's stored bytes to OUT instead ('-' for stdout):\n"
    "              for a value kept outside its row (text, ntext, image, the (max)\n"
    "              types) the bytes assembled from its pages, byte for byte\n"
    "  --advanced, --deleted, --carve, --schema-from  as for rows\n";

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
std::optional<RenderedRow> NthRow(TableReader& table, std::int64_t n, std::int64_t& rowsSeen) {
  rowsSeen = 0;
  std::optional<RenderedRow> found;
  ScanEvents quiet;
  table.ForEachPage(quiet, [&](const GridPage& page) {
    const auto count = static_cast<std::int64_t>(page.rows.size());
    if (n <= rowsSeen + count) {
      found = page.rows[static_cast<std::size_t>(n - rowsSeen - 1)];
      return false;
    }
    rowsSeen += count;
    return true;
  });
  return found;
}

}  // namespace

int ValueCommand(const std::vector<std::string>& words) {
  const CommandLine line =
      ParseCommandLine(words, kValueUsage, 2, {"--deleted", "--carve", "--advanced"},
                       {"--row", "--column", "--raw", kSchemaFromOption});
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
  const ScanSnapshot scan = OpenDatabaseOf(args);
  if (!scan) return kExitFailed;
  const std::unique_ptr<TableReader> table = OpenTableOf(scan, args.positional[1]);
  if (!table) return kExitFailed;
  const std::optional<std::size_t> column = FindColumn(table->layout().columns, *columnName);
  if (!column) {
    PrintError("table " + args.positional[1] + " has no column named " + *columnName);
    return kExitFailed;
  }
  std::int64_t rowsSeen = 0;
  const std::optional<RenderedRow> row = NthRow(*table, rowNumber, rowsSeen);
  if (!row) {
    PrintError("row " + std::to_string(rowNumber) + " is out of range: the table has " +
               std::to_string(rowsSeen) + " row(s)");
    return kExitFailed;
  }
  const std::optional<std::string> out = args.Value("--raw");
  if (!out) {
    std::cout << row->cells[*column].Shown() << '\n';
    return kExitOk;
  }
  // The row's page once more, keeping the bytes of this one value.
  ValueCapture capture{row->id, *column, std::nullopt};
  RowContext& context = table->context();
  context.capture = &capture;
  (void)ReadPageRows(row->id.page, context);
  context.capture = nullptr;
  if (!capture.bytes) {
    PrintError("the value has no stored bytes (it is NULL or could not be read)");
    return kExitFailed;
  }
  if (*out == "-") {
    std::cout.write(reinterpret_cast<const char*>(capture.bytes->data()),
                    static_cast<std::streamsize>(capture.bytes->size()));
    return std::cout.flush() ? kExitOk : kExitFailed;
  }
  const Status written =
      WriteOutputFile(*out, scan->protectedFiles, capture.bytes->data(), capture.bytes->size());
  if (!written) {
    PrintError(written.failure().message, written.failure().detail);
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace tessaril::cli
