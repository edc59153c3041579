#include "session/object_tree.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "session/table_reader.h"

namespace tessaril {
namespace {

struct FixedFolder {
  TreeFolder folder;
  const char* text;
  std::optional<TreeFolder> parent;  // none: the root
};

// In the order they are created; each goes in as its parent's first child.
constexpr std::array<FixedFolder, 9> kFixedFolders = {{
    {TreeFolder::kTables, "Tables", std::nullopt},
    {TreeFolder::kUserTables, "User Tables", TreeFolder::kTables},
    {TreeFolder::kSystemTables, "System Tables", TreeFolder::kTables},
    {TreeFolder::kProgrammability, "Programmability", std::nullopt},
    {TreeFolder::kFunction, "Function", TreeFolder::kProgrammability},
    {TreeFolder::kStoreProcedure, "Store Procedure", TreeFolder::kProgrammability},
    {TreeFolder::kViews, "Views", std::nullopt},
    {TreeFolder::kDefault, "Default", TreeFolder::kProgrammability},
    {TreeFolder::kTriggers, "Triggers", TreeFolder::kProgrammability},
}};

// The key folders below a table, in the order they are created.
constexpr std::array<const char*, 4> kKeyFolders = {"PrimaryKey", "Constraint", "Unique",
                                                    "ForeignKey"};

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

const char* ConstraintFolderText(std::string_view typeCode) {
  if (typeCode == "PK") return "PrimaryKey";
  if (typeCode == "UQ") return "Unique";
  if (typeCode == "F ") return "ForeignKey";
  if (typeCode == "C " || typeCode == "D ") return "Constraint";
  return nullptr;
}

void ObjectTree::Clear() {
  items_.clear();
  std::fill(std::begin(folders_), std::end(folders_), kNoTreeItem);
}

TreeItemId ObjectTree::InsertFirst(TreeItemId parent, TreeItem item) {
  item.parent = parent;
  item.children.clear();
  const TreeItemId id = items_.size();
  items_.push_back(std::move(item));
  if (parent < id) {
    std::vector<TreeItemId>& siblings = items_[parent].children;
    siblings.insert(siblings.begin(), id);
  }
  return id;
}

void ObjectTree::CreateFixedItems(const std::string& rootName) {
  Clear();
  TreeItem root;
  root.text = rootName;
  root.kind = TreeItemKind::kRoot;
  const TreeItemId rootId = InsertFirst(kNoTreeItem, std::move(root));
  for (const FixedFolder& f : kFixedFolders) {
    TreeItem item;
    item.text = f.text;
    item.kind = TreeItemKind::kFolder;
    folders_[static_cast<std::size_t>(f.folder)] =
        InsertFirst(f.parent ? folder(*f.parent) : rootId, std::move(item));
  }
}

TreeItemId ObjectTree::FolderOf(const CatalogObject& object) const {
  const std::string_view type = object.type;
  if (object.lostAndFound) return folder(TreeFolder::kLostAndFound);
  if (type == "S " || (type == "U " && object.systemOwned))
    return folder(TreeFolder::kSystemTables);
  if (object.systemOwned) return kNoTreeItem;
  if (type == "U ") return folder(TreeFolder::kUserTables);
  if (type == "V ") return folder(TreeFolder::kViews);
  if (type == "FN" || type == "IF" || type == "TF") return folder(TreeFolder::kFunction);
  if (type == "P ") return folder(TreeFolder::kStoreProcedure);
  if (type == "TR") return folder(TreeFolder::kTriggers);
  if (type == "D ") return folder(TreeFolder::kDefault);
  return kNoTreeItem;
}

bool ObjectTree::Fill(const Catalog& catalog, const DatabaseFile& db, const RecordOptions& options,
                      ScanEvents& events, const StopFlag& stop) {
  const std::size_t n = catalog.objects.size();
  if (n == 0 || items_.empty()) return false;
  events.ProgressRange(0, n);
  events.CaptionText(kCreatingTreeText);
  events.LogLine(kCreatingTreeText);
  events.ProgressPos(0);
  // A stop ends the filling early; the items made so far stay.
  const bool anyNamed = std::any_of(catalog.objects.begin(), catalog.objects.end(),
                                    [](const CatalogObject& o) { return !o.name.empty(); });
  if (folder(TreeFolder::kLostAndFound) == kNoTreeItem &&
      std::any_of(catalog.objects.begin(), catalog.objects.end(),
                  [](const CatalogObject& o) { return o.lostAndFound; })) {
    // Below the other table folders.
    TreeItem lost;
    lost.text = kLostAndFoundFolderText;
    lost.kind = TreeItemKind::kFolder;
    const TreeItemId tables = folder(TreeFolder::kTables);
    const TreeItemId id = InsertFirst(tables, std::move(lost));
    std::vector<TreeItemId>& siblings = items_[tables].children;
    std::rotate(siblings.begin(), siblings.begin() + 1, siblings.end());
    folders_[static_cast<std::size_t>(TreeFolder::kLostAndFound)] = id;
  }
  for (std::size_t i = 0; i < n && !stop.requested(); ++i) {
    const CatalogObject& object = catalog.objects[i];
    if (object.name.empty()) continue;
    const TreeItemId parent = FolderOf(object);
    if (parent == kNoTreeItem) continue;
    TreeItem item;
    item.text = object.name;
    item.kind = TreeItemKind::kObject;
    item.objectId = object.id;
    item.typeCode = object.type;
    const TreeItemId id = InsertFirst(parent, std::move(item));
    if (IsTableType(object.type)) {
      TreeItem columns;
      columns.text = kColumnsItemText;
      columns.kind = TreeItemKind::kColumns;
      columns.objectId = object.id;
      InsertFirst(id, std::move(columns));
      // Layout lookups go by name and the table's own type code ("U " or "S ").
      const std::string type = object.type == "S " ? "S " : "U ";
      const TableLayout layout = BuildTableLayout(catalog, db, object.name, type, {}, options);
      items_[id].bold = !layout.columns.empty() && !layout.pages.empty();
    }
    events.ProgressPos(i);
  }
  SortChildren(folder(TreeFolder::kStoreProcedure));
  SortChildren(folder(TreeFolder::kFunction));
  SortChildren(folder(TreeFolder::kLostAndFound));
  events.CaptionText(kTreeDoneText);
  events.LogLine(kTreeDoneText);
  events.ProgressPos(n);
  return anyNamed;
}

void ObjectTree::SortChildren(TreeItemId item) {
  if (!Has(item)) return;
  std::vector<TreeItemId>& children = items_[item].children;
  std::stable_sort(children.begin(), children.end(), [this](TreeItemId a, TreeItemId b) {
    return LessIgnoringCase(items_[a].text, items_[b].text);
  });
}

bool ObjectTree::BuildTableSubtree(TreeItemId table, const TableLayout& layout) {
  if (!Has(table)) return false;
  const TreeItem& t = items_[table];
  if (t.children.empty() || items_[t.children.front()].kind != TreeItemKind::kColumns) return false;
  if (!layout.layoutReady) return false;
  const TreeItemId columns = t.children.front();
  const std::int32_t tableId = t.objectId;
  for (const char* text : kKeyFolders) {
    TreeItem folderItem;
    folderItem.text = text;
    folderItem.kind = TreeItemKind::kKeyFolder;
    folderItem.objectId = tableId;
    InsertFirst(table, std::move(folderItem));
  }
  for (auto c = layout.columns.rbegin(); c != layout.columns.rend(); ++c) {
    if (c->name.empty()) continue;
    TreeItem column;
    column.text = ColumnItemText(*c);
    column.kind = TreeItemKind::kColumn;
    column.objectId = tableId;
    InsertFirst(columns, std::move(column));
  }
  for (const ConstraintEntry& entry : layout.constraints) {
    const char* folderText = ConstraintFolderText(entry.typeCode);
    if (folderText == nullptr || entry.name.empty()) continue;
    TreeItemId parent = kNoTreeItem;
    for (TreeItemId child : items_[table].children) {
      if (items_[child].kind == TreeItemKind::kKeyFolder && items_[child].text == folderText) {
        parent = child;
      }
    }
    TreeItem item;
    item.text = entry.name;
    item.kind = TreeItemKind::kConstraint;
    item.objectId = entry.objectId;
    item.typeCode = entry.typeCode;
    InsertFirst(parent, std::move(item));
  }
  return true;
}

void ObjectTree::SetChecked(TreeItemId item, bool checked) {
  if (!Has(item)) return;
  items_[item].checked = checked;
  for (TreeItemId child : items_[item].children) SetChecked(child, checked);
}

void ObjectTree::ClickCheckBox(TreeItemId item) { SetChecked(item, !IsChecked(item)); }

std::pair<std::size_t, std::size_t> ObjectTree::Counts(TreeItemId item) const {
  std::size_t all = 0;
  std::size_t checked = 0;
  if (!Has(item)) return {0, 0};
  for (TreeItemId child : items_[item].children) {
    const auto [childAll, childChecked] = Counts(child);
    all += 1 + childAll;
    checked += childChecked + (IsChecked(child) ? 1 : 0);
  }
  return {all, checked};
}

bool ObjectTree::IsChecked(TreeItemId item) const {
  if (!Has(item)) return false;
  const TreeItem& i = items_[item];
  if (i.children.empty()) return i.checked;
  return std::all_of(i.children.begin(), i.children.end(),
                     [this](TreeItemId c) { return IsChecked(c); });
}

CheckState ObjectTree::State(TreeItemId item) const {
  if (!Has(item)) return CheckState::kUnchecked;
  if (items_[item].children.empty()) {
    return items_[item].checked ? CheckState::kChecked : CheckState::kUnchecked;
  }
  const auto [all, checked] = Counts(item);
  if (checked == 0) return CheckState::kUnchecked;
  return checked == all ? CheckState::kChecked : CheckState::kPartlyChecked;
}

std::size_t ObjectTree::CheckedCount() const {
  std::size_t n = 0;
  for (TreeItemId id = 0; id < items_.size(); ++id)
    if (IsChecked(id)) ++n;
  return n;
}

TreeItemId ObjectTree::FindObject(TreeFolder f, std::string_view text) const {
  const TreeItemId parent = folder(f);
  if (!Has(parent)) return kNoTreeItem;
  for (TreeItemId child : items_[parent].children) {
    if (items_[child].text == text) return child;
  }
  return kNoTreeItem;
}

TreeItemId ObjectTree::FindObjectItem(std::int32_t objectId) const {
  for (TreeItemId id = 0; id < items_.size(); ++id) {
    if (items_[id].kind == TreeItemKind::kObject && items_[id].objectId == objectId) return id;
  }
  return kNoTreeItem;
}

void ObjectTree::Walk(TreeItemId item, const std::function<void(TreeItemId, int)>& visit) const {
  std::function<void(TreeItemId, int)> step = [&](TreeItemId id, int depth) {
    visit(id, depth);
    for (TreeItemId child : items_[id].children) step(child, depth + 1);
  };
  if (Has(item)) step(item, 0);
}

}  // namespace tessaril
