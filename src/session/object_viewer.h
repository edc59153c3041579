// What the main view shows when an item of the object tree is selected: the
// first page of a table's records, the definition of a module, or the
// statement of a key or constraint. The shells present the outcome; nothing
// here draws.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/events.h"
#include "catalog/catalog.h"
#include "catalog/table_layout.h"
#include "session/object_tree.h"
#include "session/record_pager.h"
#include "session/scan_result.h"
#include "session/table_reader.h"
#include "values/collation_table.h"
#include "values/module_text.h"

namespace tessaril {

inline constexpr const char* kViewerStartPrefix = "Please wait while ";
inline constexpr const char* kViewerStartSuffix = " folder is scanning.";
inline constexpr const char* kViewerDoneText = "Scanning process completed.";

// What kind of tree item was selected.
enum class SelectedKind {
  kRoot,        // the database
  kFolder,      // "Tables", "Views", "Columns", "PrimaryKey", ...
  kTable,       // a user or system table
  kColumn,      // a column item below a table
  kPrimaryKey,  // an item of a table's "PrimaryKey" folder
  kUniqueKey,   // an item of a table's "Unique" folder
  kForeignKey,  // an item of a table's "ForeignKey" folder
  kConstraint,  // a check or default constraint in a table's "Constraint" folder
  kModule,      // a view, procedure, function, trigger or default of its own folder
};

// A selected tree item, as the tree model describes it.
struct SelectedItem {
  std::int32_t objectId = 0;  // 0 when the item stands for no object
  std::string typeCode;       // the object's two-character type ("U ", "PK"); may be empty
  std::string name;           // the item's text
  SelectedKind kind = SelectedKind::kFolder;
};

// The item the tree shows for a catalog object: its kind from its type code
// (a check or default constraint that belongs to a table is a constraint).
SelectedItem SelectedItemOf(const CatalogObject& object);
// The same for an item of the object tree.
SelectedItem SelectedItemOf(const ObjectTree& tree, TreeItemId id);

// What the viewer reads, and where it reports.
struct ViewerSource {
  ScanSnapshot scan;                   // null: no scan has built a catalog
  ModuleTexts* moduleTexts = nullptr;  // the scan's lists; the viewer list is filled on demand
  const StopFlag* stop = nullptr;      // ends walks early; null for none
  // Progress, log lines as they come (before the outcome holds them all),
  // and the table pager's captions and end messages; null for nowhere.
  ScanEvents* events = nullptr;
  // Told of every layout the viewer builds for a table, before its rows are
  // read (the tree adds the table's keys and columns); empty for nobody.
  std::function<void(const TableLayout&)> tableLaidOut;
};

enum class ViewerDisplay {
  kNothing,  // the view stays as it was reset: empty
  kRecords,  // the grid with the first page of a table
  kText,     // the text view
};

struct ViewerOutcome {
  // False when the run ended silently: no catalog, the root, or an item
  // without text. Nothing else below is then set.
  bool completed = false;
  ViewerDisplay display = ViewerDisplay::kNothing;
  std::string text;                    // kText: the definition or statement
  std::unique_ptr<TableReader> table;  // kRecords: the pager Next and Previous go on with
  GridPage firstPage;                  // kRecords: the rows shown
  bool nextEnabled = false;            // Next Records; Previous Records starts disabled
  std::string pageLabel;               // "Page1 - [57](1-57) Records"
  std::string caption;                 // "Customers[57]"
  // The lines for the log pane and the scan log, in order: the start line,
  // those of a module text walk when one ran, the caption, the done line.
  std::vector<std::string> logLines;
};

// Decides and prepares what the main view shows for the selected item.
ViewerOutcome ShowObject(const ViewerSource& source, const SelectedItem& item);

}  // namespace tessaril
