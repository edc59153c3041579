// Module texts: the stored definitions of views, procedures, functions,
// triggers, defaults, check constraints and computed columns, read from the
// module text table (sysobjvalues from SQL Server 2005 on, syscomments in
// SQL Server 2000).
//
// A scan reads the table once into the scan list, which table layouts use for
// the definitions of computed columns. The object viewer asks for definitions
// through BuildModuleText, which reads the table once more, on its first
// call after a scan, into the viewer list, and assembles every later
// definition from memory.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/events.h"
#include "base/stop_flag.h"
#include "catalog/catalog.h"
#include "catalog/table_layout.h"
#include "values/row_renderer.h"

namespace tessaril {

inline constexpr const char* kRetrievingModulesText =
    "Retrieving Objects of Sysobjvalues System Tables...........";
inline constexpr const char* kRetrievingModulesDoneText =
    "Retrieving  Objects of Sysobjvalues System Tables has been done...........";

// What a walk over the module text table reads and where it reports.
struct ModuleTextSource {
  const DatabaseFile& db;
  const Catalog& catalog;
  const StopFlag& stop;
  // Progress over the table's pages and the two log lines of every walk;
  // null for nowhere.
  ScanEvents* events = nullptr;
};

// The module texts of one scan: the scan list, and the viewer list with the
// flag that says it has been collected. A new scan starts from an empty
// ModuleTexts.
struct ModuleTexts {
  std::vector<ModuleTextEntry> scanList;
  std::vector<ModuleTextEntry> viewerList;
  // Set once the viewer list was collected; cleared again when the
  // collection found nothing, so that the next request reads once more.
  bool collected = false;
};

// The scan's retrieval, run by the scan driver once the object tree is built:
// logs kRetrievingModulesText, reads every data page of the module text table
// into the scan list of the result (progress range: the table's pages), and
// logs kRetrievingModulesDoneText. A stop request ends the walk early; the
// entries found so far are kept. The viewer list of the result is empty.
ModuleTexts RetrieveModuleTexts(const ModuleTextSource& source);

// The definition of the object whose id is objectIdText (decimal): the values
// of every entry with exactly that id, joined in the order of their number
// and then their piece number (colid, valnum), and decoded as the UTF-16 text
// the table stores definitions in. Empty when the object has no entry.
// Collects the viewer list first when it has not been collected yet.
std::string BuildModuleText(ModuleTexts& texts, const ModuleTextSource& source,
                            std::string_view objectIdText);

// The page walk common to both lists: every entry of every readable data page
// of the module text table, in the order of the page inventory, with the two
// log lines.
std::vector<ModuleTextEntry> CollectModuleTexts(const ModuleTextSource& source);

// The entry one rendered row of the module text table gives; none for a row
// without cells.
std::optional<ModuleTextEntry> ModuleTextEntryOf(const RenderedRow& row, bool sql2000Layout);

}  // namespace tessaril
