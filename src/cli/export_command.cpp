// export: the recovered database as a SQL script, CSV files or an SQLite file.
#include <iostream>
#include <sstream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/interrupt_watcher.h"
#include "cli/opened_table.h"
#include "cli/terminal_events.h"
#include "export/export_job.h"
#include "export/export_summary.h"

namespace tessaril::cli {

const char* const kExportUsage =
    "usage: tessaril-cli export FILE (--sql OUT.sql | --csv DIR | --sqlite OUT.db)\n"
    "                           [--tables T1,T2] [--schema-only] [--deleted | --carve]\n"
    "                           [--advanced] [--blobs DIR] [--schema-from OTHER]\n"
    "  Every user table (or those named), read once: its CREATE TABLE and rows,\n"
    "  then its keys and constraints, then the views, functions, procedures and\n"
    "  triggers as stored.\n"
    "  --sql OUT.sql   a script for sqlcmd (UTF-8 with BOM, CR LF): runs on an empty\n"
    "                  database; INSERTs of 1000 rows, exact literals, IDENTITY_INSERT\n"
    "  --csv DIR       one RFC 4180 file per table (UTF-8, header row, NULL an empty\n"
    "                  field, the empty string \"\"); schema.sql, load.sql with a\n"
    "                  BULK INSERT per table and constraints.sql, run in that order\n"
    "  --sqlite OUT.db one SQLite table per table, real NULLs, binary as BLOB,\n"
    "                  decimals as exact text; tessaril_objects holds the definitions\n"
    "  --tables T1,T2  only these tables (names as in rows: schema.name, any case)\n"
    "  --schema-only   the tables, keys and modules without rows\n"
    "  --deleted       also deleted (ghost) rows, in tables named T$deleted with\n"
    "                  $status, $page and $slot columns\n"
    "  --carve         also rows carved from free space (implies --deleted)\n"
    "  --blobs DIR     csv: binary values as files in DIR, named in their cells\n"
    "  --schema-from OTHER  lost tables laid out from another copy or a .sql script\n"
    "  Nothing appears under the output's name unless the export completes; Ctrl-C\n"
    "  stops it. A summary goes to stderr. Exit status: 0 done, 1 failed, 130 stopped.\n";

namespace {

std::vector<std::string> SplitNames(const std::string& text) {
  std::vector<std::string> names;
  std::stringstream in(text);
  for (std::string name; std::getline(in, name, ',');) {
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

}  // namespace

int ExportCommand(const std::vector<std::string>& words) {
  const CommandLine line = ParseCommandLine(
      words, kExportUsage, 1, {"--schema-only", "--deleted", "--carve", "--advanced"},
      {"--sql", "--csv", "--sqlite", "--tables", "--blobs", kSchemaFromOption});
  if (!line.args) return line.status;
  const Arguments& args = *line.args;
  ExportRequest request;
  int destinations = 0;
  for (const auto& [option, format] :
       {std::pair{"--sql", ExportFormat::kSqlScript}, std::pair{"--csv", ExportFormat::kCsv},
        std::pair{"--sqlite", ExportFormat::kSqlite}}) {
    if (const auto value = args.Value(option)) {
      request.format = format;
      request.destination = *value;
      ++destinations;
    }
  }
  if (destinations != 1) {
    PrintError("name one destination: --sql OUT.sql, --csv DIR or --sqlite OUT.db");
    std::cerr << kExportUsage;
    return kExitUsage;
  }
  if (args.Value("--blobs") && request.format != ExportFormat::kCsv) {
    PrintError("--blobs goes with --csv");
    return kExitUsage;
  }
  request.blobFolder = args.Value("--blobs").value_or("");
  request.tables = SplitNames(args.Value("--tables").value_or(""));
  request.schemaOnly = args.Has("--schema-only");

  const ScanSnapshot scan = OpenDatabaseOf(args);
  if (!scan) return kExitFailed;
  StopFlag stop;
  InterruptWatcher watcher([&stop] { stop.Request(); });
  TerminalEvents events(false);
  const Result<ExportSummary> summary = RunExport(scan, request, events, stop);
  if (!summary) {
    PrintError(summary.failure().message, summary.failure().detail);
    return watcher.interrupted() ? kExitInterrupted : kExitFailed;
  }
  for (const std::string& text :
       ExportSummaryLines(*summary, request, scan->settings.showDeletedRecords)) {
    std::cerr << text << '\n';
  }
  return kExitOk;
}

}  // namespace tessaril::cli
