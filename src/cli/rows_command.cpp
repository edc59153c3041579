// rows: the rows of a table as the record grid shows them.
#include <iostream>
#include <set>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/opened_table.h"
#include "cli/row_output.h"
#include "cli/terminal_events.h"

namespace tessaril::cli {

const char* const kRowsUsage =
    "usage: tessaril-cli rows FILE TABLE [--page N | --all] [--format text|tsv|csv|json]\n"
    "                         [--advanced] [--deleted] [--carve] [--full]\n"
    "  The rows of a table. The text format shows 1000 a page (default: page 1);\n"
    "  tsv, csv and json (JSON Lines: one object a line) write every row unless\n"
    "  --page is given. Then on stderr the page\n"
    "  label and the rows shown. NULL is the text NULL in text and tsv, an empty\n"
    "  field in csv (the empty string is \"\") and null in json (one object a line).\n"
    "  Large values (text, ntext, image, xml, the (max) types) are written in full,\n"
    "  except in the text format, which cuts them to 64 characters followed by\n"
    "  \"...[N chars]\" with the whole length.\n"
    "  --full      large values in full in the text format too\n"
    "  --advanced  read the pages the catalog collected, not the table's page chain\n"
    "  --deleted   also deleted (ghost) rows\n"
    "  --carve     also rows carved from free space (implies --deleted)\n";

int RowsCommand(const std::vector<std::string>& words) {
  const CommandLine line = ParseCommandLine(
      words, kRowsUsage, 2, {"--all", "--deleted", "--carve", "--advanced", "--full"},
      {"--page", "--format"});
  if (!line.args) return line.status;
  const Arguments& args = *line.args;
  const std::optional<RowFormat> format = ParseRowFormat(args.Value("--format").value_or("text"));
  std::size_t pageNumber = 1;
  try {
    if (auto text = args.Value("--page")) pageNumber = std::stoul(*text);
  } catch (const std::exception&) {
    pageNumber = 0;
  }
  if (!format || pageNumber == 0) {
    PrintError(!format ? "--format is one of text, tsv, csv, json"
                       : "--page takes a number from 1");
    return kExitUsage;
  }
  const ScanSnapshot scan = OpenDatabaseOf(args);
  if (!scan) return kExitFailed;
  const std::unique_ptr<TableReader> table = OpenTableOf(scan, args.positional[1]);
  if (!table) return kExitFailed;

  const bool shortened = *format == RowFormat::kText && !args.Has("--full");
  RowWriter writer(std::cout, *format, table->layout().columns, shortened);
  ScanEvents quiet;
  // A file format takes every row unless a page is asked for; the text
  // format, for reading at a terminal, shows one page.
  if (args.Has("--all") && args.Value("--page")) {
    PrintError("--page and --all exclude each other");
    return kExitUsage;
  }
  const bool all = args.Has("--all") || (*format != RowFormat::kText && !args.Value("--page"));
  table->ForEachPage(quiet, [&](const GridPage& page) {
    const RecordPager& pager = table->pager();
    if (pager.pageNumber() == static_cast<int>(pageNumber) || all) {
      for (const RenderedRow& row : page.rows) writer.Write(row);
      std::cerr << pager.PageLabel(page.rowsCounted) << '\n' << pager.CaptionText() << '\n';
    }
    return all || pager.pageNumber() < static_cast<int>(pageNumber);
  });
  const RecordPager& pager = table->pager();
  writer.Finish();
  if (!all && pager.pageNumber() == static_cast<int>(pageNumber) && pager.hasNext()) {
    std::cerr << "more rows follow: --page " << pageNumber + 1
              << " for the next 1000, --all for every row\n";
  }
  if (pager.pageNumber() < static_cast<int>(pageNumber)) {
    PrintError("the table has " + std::to_string(pager.pageNumber()) + " page(s) of rows");
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace tessaril::cli
