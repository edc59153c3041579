// scan: the scan of a data file as the desktop window runs it, with the log
// lines on stdout.
#include <ctime>
#include <iostream>

#include "cli/arguments.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/interrupt_watcher.h"
#include "cli/opened_table.h"
#include "cli/terminal_events.h"
#include "session/scan_session.h"
#include "session/scan_summary.h"
#include "storage/snapshot_file.h"
#include "values/collation_table.h"

namespace tessaril::cli {

const char* const kScanUsage =
    "usage: tessaril-cli scan FILE [options]\n"
    "       tessaril-cli scan --snapshot SNAPSHOT [options]\n"
    "  Scans a primary data file, printing the scan log lines, then a summary:\n"
    "  tables, pages read, pages not read or of no known type, deleted rows found.\n"
    "  No file is written unless asked for.\n"
    "  --log-dir DIR        write the scan log (UTF-16) into DIR, which must exist\n"
    "  --rows               count the rows of every table (a walk over all pages)\n"
    "  --progress           progress lines on stderr even when it is not a terminal\n"
    "  --snapshot-out SNAP  after the scan, save its page inventory in SNAP\n"
    "  --snapshot SNAP      scan the data file SNAP names, taking its page inventory\n"
    "                       and reading options from SNAP (no mapping pass; FILE,\n"
    "                       when given, is not used)\n"
    "  --advanced           Advanced recovery mode (default: Standard)\n"
    "  --deleted            show deleted (ghost) records\n"
    "  --carve              also carve deleted records from free space (implies --deleted)\n"
    "  --collation NAME|ID  use this collation instead of the one the file names\n"
    "  --schema-from OTHER  lost tables laid out from another copy or a .sql script\n"
    "  Ctrl-C stops the scan; the pages read so far are used and the scan says it\n"
    "  was stopped (exit status 130). A second Ctrl-C quits.\n";

namespace {

std::tm LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

// A collation named on the command line: a name from collation.txt, or an id.
Result<std::uint64_t> ResolveCollation(const std::string& text) {
  const CollationTable table = CollationTable::LoadBesideProgram();
  if (const auto id = table.FindByName(text)) return static_cast<std::uint64_t>(*id);
  try {
    std::size_t used = 0;
    const long long id = std::stoll(text, &used, 0);
    if (used == text.size() && id >= 0) return static_cast<std::uint64_t>(id);
  } catch (const std::exception&) {
  }
  return Error{"unknown collation " + text,
               table.empty() ? "collation.txt was not found beside the program" : ""};
}

Status FillOptions(const Arguments& args, ScanOptions& options) {
  if (!args.Value("--snapshot")) {
    if (args.positional.empty()) return Error{"a data file or --snapshot is needed"};
    const std::string& file = args.positional[0];
    if (Status data = CheckDataFilePath(file); !data) return data;
    options.dataFilePath = file;
  }
  // A scan log is written only where the user asks: a command-line scan
  // leaves no file behind on the machine it runs on otherwise.
  if (const auto folder = args.Value("--log-dir")) {
    if (Status log = CheckLogFolder(*folder); !log) return log;
    options.logFolder = folder->back() == '/' ? *folder : *folder + "/";
  }
  options.recoveryMode = args.Has("--advanced") ? kAdvancedMode : kStandardMode;
  options.showAdvancedDeletedRecords = args.Has("--carve") ? 1 : 0;
  options.showDeletedRecords = args.Has("--deleted") || args.Has("--carve") ? 1 : 0;
  options.schemaFrom = args.Value(kSchemaFromOption).value_or("");
  if (const auto name = args.Value("--collation")) {
    Result<std::uint64_t> id = ResolveCollation(*name);
    if (!id) return Error{id.failure()};
    options.collationMode = kManualCollation;
    options.manualCollationId = *id;
  }
  return {};
}

void PrintScanSummary(std::ostream& out, const ScanSummary& s, bool perTable, bool deletedShown) {
  out << "\nsummary:\n"
      << "  tables: " << s.userTables << '\n';
  if (s.fromSnapshot) {
    out << "  pages: " << s.primaryPages << " (the inventory came from the snapshot)\n";
  } else {
    out << "  pages read: " << s.pagesRead << " of " << s.primaryPages << '\n'
        << "  pages not read: " << s.pagesSkipped << '\n'
        << "  pages of no known type (damaged or foreign data): " << s.unknownTypePages << '\n'
        << "  all-zero pages: " << s.zeroPages << '\n';
  }
  if (s.secondaryFiles > 0) {
    out << "  secondary files: " << s.secondaryFiles << " (" << s.secondaryPages << " pages)\n";
  }
  if (s.rowsCounted) {
    out << "  rows: " << s.rows << (s.rowsCountStopped ? " (so far: the count was stopped)" : "")
        << '\n';
  }
  if (!deletedShown) {
    out << "  deleted rows: not looked for (--deleted, --carve)\n";
  } else if (!s.rowsCounted) {
    out << "  deleted rows: not counted (the scan was stopped)\n";
  } else {
    out << "  deleted rows found: " << s.deletedRows << (s.rowsCountStopped ? " (so far)" : "")
        << '\n';
  }
  if (!perTable) return;
  for (const TableRowCount& t : s.tables) {
    out << "  " << t.name << ": " << t.rows << " rows";
    if (deletedShown) out << " (" << t.deletedRows << " deleted)";
    out << '\n';
  }
}

}  // namespace

int ScanCommand(const std::vector<std::string>& words) {
  // --no-log is what a scan does anyway; it is still taken.
  const CommandLine line = ParseCommandLineBetween(
      words, kScanUsage, 0, 1,
      {"--no-log", "--advanced", "--deleted", "--carve", "--rows", "--progress"},
      {"--log-dir", "--collation", "--snapshot", "--snapshot-out", kSchemaFromOption});
  if (!line.args) return line.status;
  const Arguments* args = &*line.args;
  if (args->Has("--no-log") && args->Value("--log-dir")) {
    PrintError("--no-log and --log-dir exclude each other");
    std::cerr << kScanUsage;
    return kExitUsage;
  }
  ScanSession session;
  session.SetCollations(CollationTable::LoadBesideProgram());
  if (Status filled = FillOptions(*args, session.options); !filled) {
    PrintError(filled.failure().message, filled.failure().detail);
    return kExitFailed;
  }
  TerminalEvents events(true, args->Has("--progress") ? TerminalEvents::Progress::kLines
                                                      : TerminalEvents::Progress::kWhenTerminal);
  InterruptWatcher watcher([&session] { session.RequestStop(); });
  const std::optional<std::string> snapshot = args->Value("--snapshot");
  if (snapshot) {
    if (const Status header = CheckSnapshotHeader(*snapshot); !header) {
      PrintError(header.failure().message, header.failure().detail);
      return kExitFailed;
    }
  }
  const Result<ScanJob> job =
      snapshot ? session.BeginSnapshotScan(*snapshot, session.options.logFolder, LocalTimeNow())
               : session.BeginScan(LocalTimeNow());
  if (!job) {
    PrintError(job.error());
    return kExitFailed;
  }
  const ScanOutcome outcome = session.RunScan(*job, events);
  if (const ScanSnapshot scan = session.current()) WarnIfCutShort(*scan->db);
  if (const ScanSnapshot scan = session.current();
      scan && (outcome == ScanOutcome::kCompleted || outcome == ScanOutcome::kStopped)) {
    // The reading options of the scan itself: a snapshot brings its own.
    const bool deleted = scan->settings.showDeletedRecords || scan->settings.carveDeletedRecords;
    // The rows of a stopped scan are not counted: the user asked to end.
    const bool countRows = (args->Has("--rows") || deleted) && !watcher.interrupted();
    PrintScanSummary(std::cout, SummariseScan(scan, countRows, &session.stopFlag()),
                     args->Has("--rows"), deleted);
  }
  bool saved = true;
  if (const auto out = args->Value("--snapshot-out"); out && outcome == ScanOutcome::kCompleted) {
    const Status written = session.SaveSnapshot(*out, events);
    if (!written) PrintError(written.failure().message, written.failure().detail);
    saved = written.ok();
  }
  if (session.scanLog().isOpen()) {
    std::cerr << kLogFilePathPrefix << session.scanLog().path() << '\n';
  } else if (!session.options.logFolder.empty()) {
    PrintError("the scan log could not be written", session.options.logFolder);
  }
  if (watcher.interrupted()) return kExitInterrupted;
  return outcome == ScanOutcome::kCompleted && saved ? kExitOk : kExitFailed;
}

}  // namespace tessaril::cli
