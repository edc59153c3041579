// rows: the rows of a table as the record grid shows them.
#include <algorithm>
#include <cstdint>
#include <iostream>
#include <optional>
#include <set>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/opened_table.h"
#include "cli/row_output.h"
#include "cli/terminal_events.h"

namespace tessaril::cli {

const char* const kRowsUsage =
    "usage: tessaril-cli rows FILE TABLE [--page N | --all] [--format text|tsv|csv|json]\n"
    "                         [--advanced] [--deleted] [--carve] [--provenance] [--full]\n"
    "                         [--schema-from OTHER]\n"
    "  The rows of a table. The text format shows 1000 a page (default: page 1);\n"
    "  tsv, csv and json (JSON Lines: one object a line) write every row unless\n"
    "  --page is given. Then on stderr the page label and the rows shown.\n"
    "  NULL is the text NULL in text and tsv, an empty field in csv (the empty\n"
    "  string is \"\") and null in json. json writes integers, bit and float\n"
    "  values as numbers (bigint beyond 2^53, decimal and money as strings).\n"
    "  A bit is 1 or 0 in tsv, csv and json, True or False in the text format.\n"
    "  tsv and text write a tab, a line feed and a carriage return as \\t, \\n, \\r.\n"
    "  Large values (text, ntext, image, xml, the (max) types) are written in full,\n"
    "  except in the text format, which cuts them to 64 characters followed by\n"
    "  \"...[N chars]\" with the whole length.\n"
    "  TABLE may be schema-qualified (dbo.Orders) and is matched in any case.\n"
    "  --page N      the Nth page of 1000 rows; past the last page, nothing is\n"
    "                written and the exit status is 1\n"
    "  --all         every page\n"
    "  --full        large values in full in the text format too\n"
    "  --advanced    read the pages the catalog collected, not the table's page chain\n"
    "  --deleted     also deleted (ghost) rows\n"
    "  --carve       also rows carved from free space (implies --deleted)\n"
    "  --provenance  add the columns $status (live, ghost, carved, forwarded),\n"
    "                $page (file:page) and $slot: where each row was found\n"
    "  --schema-from OTHER  lost tables laid out from another copy or a .sql script\n";

int RowsCommand(const std::vector<std::string>& words) {
  const CommandLine line =
      ParseCommandLine(words, kRowsUsage, 2,
                       {"--all", "--deleted", "--carve", "--advanced", "--full", "--provenance"},
                       {"--page", "--format", kSchemaFromOption});
  if (!line.args) return line.status;
  const Arguments& args = *line.args;
  const std::optional<RowFormat> format = ParseRowFormat(args.Value("--format").value_or("text"));
  const std::optional<std::uint64_t> requested =
      args.Value("--page") ? ParseCount(*args.Value("--page")) : std::uint64_t{1};
  const bool both = args.Has("--all") && args.Value("--page");
  if (!format || !requested || *requested == 0 || both) {
    PrintError(!format             ? "--format is one of text, tsv, csv, json"
               : both && requested ? "--page and --all exclude each other"
                                   : "--page takes a number from 1");
    std::cerr << kRowsUsage;
    return kExitUsage;
  }
  // A file format takes every row unless a page is asked for; the text
  // format, for reading at a terminal, shows one page.
  const bool all = args.Has("--all") || (*format != RowFormat::kText && !args.Value("--page"));
  const int pageNumber = static_cast<int>(std::min<std::uint64_t>(*requested, INT32_MAX));
  const ScanSnapshot scan = OpenDatabaseOf(args);
  if (!scan) return kExitFailed;
  const std::unique_ptr<TableReader> table = OpenTableOf(scan, args.positional[1]);
  if (!table) return kExitFailed;

  RowWriterOptions options;
  options.shortenLargeValues = *format == RowFormat::kText && !args.Has("--full");
  options.provenance = args.Has("--provenance");
  // The writer starts at the page asked for, so that a page past the end
  // writes nothing at all, not even the column names.
  std::optional<RowWriter> writer;
  ScanEvents quiet;
  table->ForEachPage(quiet, [&](const GridPage& page) {
    const RecordPager& pager = table->pager();
    if (pager.pageNumber() == pageNumber || all) {
      if (!writer) writer.emplace(std::cout, *format, table->layout().columns, options);
      for (const RenderedRow& row : page.rows) writer->Write(row);
      writer->Flush();  // the rows before the page's label on stderr
      std::cerr << pager.PageLabel(page.rowsCounted) << '\n' << pager.CaptionText() << '\n';
    }
    return all || pager.pageNumber() < pageNumber;
  });
  if (!writer) {
    PrintError("page " + std::to_string(*requested) + " is past the end: the table has " +
               std::to_string(table->pager().pageNumber()) + " page(s) of rows");
    return kExitFailed;
  }
  writer->Finish();
  PrintDamageSummary(table->pager().damage());
  if (!all && table->pager().hasNext()) {
    std::cerr << "more rows follow: --page " << pageNumber + 1
              << " for the next 1000, --all for every row\n";
  }
  return kExitOk;
}

}  // namespace tessaril::cli
