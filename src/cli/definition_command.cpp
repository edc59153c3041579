// definition: what the object viewer shows for a module, key or constraint.
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/opened_table.h"
#include "cli/terminal_events.h"
#include "session/object_viewer.h"

namespace tessaril::cli {

const char* const kDefinitionUsage =
    "usage: tessaril-cli definition FILE NAME\n"
    "  What the viewer shows for the object named NAME: the stored definition of a\n"
    "  view, procedure, function, trigger or default; the ALTER TABLE statement of a\n"
    "  check or default constraint, a primary, unique or foreign key. Line ends are\n"
    "  kept as stored.\n";

int DefinitionCommand(const std::vector<std::string>& words) {
  const CommandLine line = ParseCommandLine(words, kDefinitionUsage, 2, {}, {});
  if (!line.args) return line.status;
  const std::string& name = line.args->positional[1];
  const ScanSnapshot scan = OpenDatabaseOf(*line.args);
  if (!scan) return kExitFailed;
  const Result<const CatalogObject*> object =
      FindObjectByName(scan->catalog, name, NameScope::kObjects);
  if (!object) {
    PrintError(object.error());
    return kExitFailed;
  }
  const SelectedItem item = SelectedItemOf(**object);
  if (item.kind == SelectedKind::kTable) {
    PrintError(name + " is a table; 'tessaril-cli rows' shows its rows");
    return kExitFailed;
  }
  ModuleTexts texts;
  ViewerSource source;
  source.scan = scan;
  source.moduleTexts = &texts;
  const ViewerOutcome shown = ShowObject(source, item);
  if (shown.display != ViewerDisplay::kText || shown.text.empty()) {
    PrintError("no stored definition of " + name + " was found");
    return kExitFailed;
  }
  std::cout << shown.text << '\n';
  return kExitOk;
}

}  // namespace tessaril::cli
