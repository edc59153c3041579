// rows: the rows of a table as the record grid shows them.
#include <iostream>
#include <set>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/opened_table.h"
#include "cli/row_output.h"
#include "session/record_pager.h"

namespace tessaril::cli {

const char* const kRowsUsage =
    "usage: tessaril-cli rows FILE TABLE [--page N | --all] [--format text|tsv|csv|json]\n"
    "                         [--advanced] [--deleted] [--carve] [--full]\n"
    "  The rows of a table, 1000 a page (default: page 1), then on stderr the page\n"
    "  label and the rows shown. NULL is the text NULL (null in json).\n"
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
  int status = kExitOk;
  const std::unique_ptr<OpenedTable> table = OpenTable(args, status);
  if (!table) return status;
  RowContext context = table->MakeContext();

  const bool shortened = *format == RowFormat::kText && !args.Has("--full");
  RowWriter writer(std::cout, *format, table->layout.columns, shortened);
  RecordPager pager(table->catalog, context, args.Has("--advanced"));
  GridPage page = pager.First();
  for (std::size_t n = 1; n < pageNumber && pager.hasNext(); ++n) page = pager.Next();
  const bool all = args.Has("--all");
  while (true) {
    if (pager.pageNumber() == static_cast<int>(pageNumber) || all) {
      for (const RenderedRow& row : page.rows) writer.Write(row);
      std::cerr << pager.PageLabel(page.rowsCounted) << '\n' << pager.CaptionText() << '\n';
    }
    if (!all || !pager.hasNext()) break;
    page = pager.Next();
  }
  writer.Finish();
  if (pager.pageNumber() < static_cast<int>(pageNumber)) {
    PrintError("the table has " + std::to_string(pager.pageNumber()) + " page(s) of rows");
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace tessaril::cli
