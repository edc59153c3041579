// The object tree: the database as a root item, folders by object kind, an
// item per object and, once a table was opened, its keys and columns. Only
// the model: what is drawn where and how is the shell's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/events.h"
#include "base/progress.h"
#include "base/stop_flag.h"
#include "catalog/catalog.h"
#include "catalog/table_layout.h"
#include "storage/database_file.h"

namespace tessaril {

inline constexpr const char* kCreatingTreeText = "Creating Tree.........";
// The folder of the tables recovered without their catalog rows.
inline constexpr const char* kLostAndFoundFolderText = "Lost and Found";
inline constexpr const char* kTreeDoneText = "Process done.........";
inline constexpr const char* kColumnsItemText = "Columns";

// The fixed folders, in the order they are created.
enum class TreeFolder {
  kTables,
  kUserTables,
  kSystemTables,
  kProgrammability,
  kFunction,
  kStoreProcedure,
  kViews,
  kDefault,
  kTriggers,
  // Below Tables, made only when the scan recovers tables the catalog lost.
  kLostAndFound,
};
inline constexpr std::size_t kTreeFolderCount = 10;

enum class TreeItemKind {
  kRoot,
  kFolder,
  kObject,      // a view, module, default or table
  kKeyFolder,   // "PrimaryKey", "Constraint", "Unique", "ForeignKey" below a table
  kColumns,     // "Columns" below a table
  kColumn,      // one column below "Columns"
  kConstraint,  // one key or constraint below its folder
};

using TreeItemId = std::size_t;
inline constexpr TreeItemId kNoTreeItem = static_cast<TreeItemId>(-1);

struct TreeItem {
  std::string text;
  bool bold = false;
  TreeItemKind kind = TreeItemKind::kFolder;
  // The object an object item stands for; for a constraint item the
  // constraint's own id; for other items below a table, the table's id.
  std::int32_t objectId = 0;
  std::string typeCode;  // "U ", "P ", "PK", ...
  TreeItemId parent = kNoTreeItem;
  std::vector<TreeItemId> children;  // display order
  bool checked = false;              // own flag; see ObjectTree::IsChecked
};

enum class CheckState { kUnchecked, kChecked, kPartlyChecked };

class ObjectTree {
 public:
  ObjectTree() { Clear(); }
  void Clear();
  bool empty() const { return items_.empty(); }

  // The root, labelled rootName, and the nine folders.
  void CreateFixedItems(const std::string& rootName);
  // One item per named object of the catalog; tables in bold when they have
  // columns and pages. Progress and the build's lines (caption bar and log)
  // go to events. False when the catalog has no named object. A stop
  // request ends the filling with the items made so far. Objects SQL Server owns go to
  // "System Tables" when they are tables and get no item otherwise.
  bool Fill(const Catalog& catalog, const DatabaseFile& db, const RecordOptions& options,
            ScanEvents& events, const StopFlag& stop);
  // Sorts an item's children by text, ignoring case (not recursive).
  void SortChildren(TreeItemId item);

  // Adds the key folders, the column items and the constraint items below a
  // table item the first time it is opened. False when it was built before or
  // the layout is not ready.
  bool BuildTableSubtree(TreeItemId table, const TableLayout& layout);

  // A new item, first child of parent.
  TreeItemId InsertFirst(TreeItemId parent, TreeItem item);

  // Check boxes: a click flips the item's flag and gives it to every
  // descendant.
  void ClickCheckBox(TreeItemId item);
  void SetChecked(TreeItemId item, bool checked);
  // An item with descendants is checked exactly when all of them are.
  bool IsChecked(TreeItemId item) const;
  CheckState State(TreeItemId item) const;
  // Items whose checked flag is true, over the whole tree.
  std::size_t CheckedCount() const;

  TreeItemId root() const { return items_.empty() ? kNoTreeItem : 0; }
  TreeItemId folder(TreeFolder f) const { return folders_[static_cast<std::size_t>(f)]; }
  // The item of an id; an id the tree does not hold (from a view of an
  // earlier tree) gives an empty folder item.
  const TreeItem& item(TreeItemId id) const { return Has(id) ? items_[id] : none_; }
  bool Has(TreeItemId id) const { return id < items_.size(); }
  std::size_t size() const { return items_.size(); }
  // The first object item with this text below a folder, in display order.
  TreeItemId FindObject(TreeFolder f, std::string_view text) const;
  // The object item of the object with this id; kNoTreeItem when it has none.
  TreeItemId FindObjectItem(std::int32_t objectId) const;
  // The items below item, depth first in display order, with their depth.
  void Walk(TreeItemId item, const std::function<void(TreeItemId, int)>& visit) const;

 private:
  TreeItemId FolderOf(const CatalogObject& object) const;
  // Counts of the descendants and of the checked ones.
  std::pair<std::size_t, std::size_t> Counts(TreeItemId item) const;

  std::vector<TreeItem> items_;
  TreeItem none_;
  TreeItemId folders_[kTreeFolderCount] = {};
};

// The folder a key or constraint type code is listed under.
const char* ConstraintFolderText(std::string_view typeCode);

}  // namespace tessaril
