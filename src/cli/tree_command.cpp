// tree: the object tree a whole scan builds, as indented text.
#include <iostream>
#include <sstream>

#include "catalog/table_layout.h"
#include "cli/arguments.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/interrupt_watcher.h"
#include "cli/opened_table.h"
#include "cli/terminal_events.h"
#include "session/scan_session.h"

namespace tessaril::cli {

const char* const kTreeUsage =
    "usage: tessaril-cli tree FILE [--expand TABLE[,TABLE...]] [--advanced]\n"
    "                          [--schema-from OTHER]\n"
    "  Scans the file and prints the object tree in display order, two blanks\n"
    "  a level. Tables that hold data are marked with a trailing \" *\".\n"
    "  --expand   also the keys, constraints and columns of these tables (user\n"
    "             tables first, then system tables); '*' expands every table\n"
    "  --advanced Advanced recovery mode (default: Standard)\n"
    "  --schema-from OTHER  lost tables laid out from another copy or a .sql script\n";

namespace {

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> names;
  std::stringstream in(text);
  for (std::string name; std::getline(in, name, ',');) {
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

bool IsTableItem(const TreeItem& item) {
  return item.kind == TreeItemKind::kObject && (item.typeCode == "U " || item.typeCode == "S ");
}

// Opens the tables named (or every table for "*"), as a selection in the
// object viewer does. Names that are no table are reported.
bool ExpandTables(ScanSession& session, const std::vector<std::string>& names) {
  ObjectTree& tree = session.tree();
  const bool all = names.size() == 1 && names[0] == "*";
  std::vector<TreeItemId> tables;
  if (all) {
    tree.Walk(tree.root(), [&](TreeItemId id, int) {
      if (IsTableItem(tree.item(id))) tables.push_back(id);
    });
  }
  bool found = true;
  const ScanSnapshot scan = session.current();
  for (const std::string& name : all ? std::vector<std::string>() : names) {
    const Result<const CatalogObject*> object =
        FindObjectByName(scan->catalog, name, NameScope::kTables);
    const TreeItemId id = object ? tree.FindObjectItem((*object)->id) : kNoTreeItem;
    if (id == kNoTreeItem) {
      PrintError(object ? "the object tree has no item for table " + name : object.error());
      found = false;
      continue;
    }
    tables.push_back(id);
  }
  // Opening each table in the viewer builds its subtree, as a click does.
  ScanEvents quiet;
  for (TreeItemId id : tables) {
    const Result<ViewerOutcome> shown = session.ShowTreeItem(id, quiet);
    if (!shown) {
      PrintError(shown.error());
      return false;
    }
  }
  return found;
}

void PrintTree(const ObjectTree& tree) {
  tree.Walk(tree.root(), [&](TreeItemId id, int depth) {
    const TreeItem& item = tree.item(id);
    std::cout << std::string(static_cast<std::size_t>(depth) * 2, ' ') << item.text
              << (item.bold ? " *" : "") << '\n';
  });
}

}  // namespace

int TreeCommand(const std::vector<std::string>& words) {
  const CommandLine line =
      ParseCommandLine(words, kTreeUsage, 1, {"--advanced"}, {"--expand", kSchemaFromOption});
  if (!line.args) return line.status;
  ScanSession session;
  session.SetCollations(CollationTable::LoadBesideProgram());
  session.options.dataFilePath = line.args->positional[0];
  session.options.recoveryMode = line.args->Has("--advanced") ? kAdvancedMode : kStandardMode;
  session.options.schemaFrom = line.args->Value(kSchemaFromOption).value_or("");
  TerminalEvents events(false);
  InterruptWatcher watcher([&session] { session.RequestStop(); });
  const Result<ScanJob> job = session.BeginScan(std::tm{});
  if (!job) {
    PrintError(job.error());
    return kExitFailed;
  }
  if (session.RunScan(*job, events) != ScanOutcome::kCompleted) {
    if (!events.fatalReported()) PrintError("the file holds no usable catalog");
    return watcher.interrupted() ? kExitInterrupted : kExitFailed;
  }
  const bool expanded = ExpandTables(session, SplitList(line.args->Value("--expand").value_or("")));
  PrintTree(session.tree());
  if (watcher.interrupted()) return kExitInterrupted;
  return expanded ? kExitOk : kExitFailed;
}

}  // namespace tessaril::cli
