// rows: the rows of a table as the record grid shows them.
#include <iostream>
#include <set>

#include "catalog/catalog_builder.h"
#include "catalog/table_layout.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/row_output.h"
#include "cli/terminal_events.h"
#include "session/record_pager.h"
#include "storage/boot_page.h"
#include "values/row_renderer.h"

namespace tessaril::cli {

const char* const kRowsUsage =
    "usage: tessaril-cli rows FILE TABLE [--page N | --all] [--format text|tsv|csv|json]\n"
    "                         [--advanced] [--deleted] [--carve]\n"
    "  The rows of a table, 1000 a page (default: page 1), then on stderr the page\n"
    "  label and the rows shown. NULL is the text NULL (null in json).\n"
    "  --advanced  read the pages the catalog collected, not the table's page chain\n"
    "  --deleted   also deleted (ghost) rows\n"
    "  --carve     also rows carved from free space (implies --deleted)\n";

int RowsCommand(const std::vector<std::string>& words) {
  const CommandLine line =
      ParseCommandLine(words, kRowsUsage, 2, {"--all", "--deleted", "--carve", "--advanced"},
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
  TerminalEvents progress(false);
  StopFlag stop;
  auto db = DatabaseFile::Open(args.positional[0], false, progress, stop);
  if (!db) {
    progress.Fatal(db.failure().message, db.failure().detail);
    return kExitFailed;
  }
  RecordOptions options;
  options.showAdvancedDeletedRecords = args.Has("--carve");
  options.showDeletedRecords = args.Has("--deleted") || options.showAdvancedDeletedRecords;
  const Catalog catalog = BuildCatalog(**db, options, progress);
  TableLayout layout = BuildTableLayout(catalog, **db, args.positional[1], "U ", {}, options);
  if (layout.object.id == -1 || !layout.layoutReady) {
    layout = BuildTableLayout(catalog, **db, args.positional[1], "S ", {}, options);
  }
  if (!layout.layoutReady) {
    PrintError("no table named " + args.positional[1]);
    return kExitFailed;
  }
  const CollationTable collations = CollationTable::LoadBesideProgram();
  CollationResult database;
  if (const auto boot = ReadBootPage(**db))
    ApplyDatabaseCollation(collations, boot->collationId, {}, database);
  RowContext context(layout, **db, TextDecoding(&collations, database), options,
                     catalog.sql2000Layout);

  RowWriter writer(std::cout, *format, layout.columns);
  RecordPager pager(catalog, context, args.Has("--advanced"));
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
