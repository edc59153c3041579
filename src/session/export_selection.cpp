#include "session/export_selection.h"

#include <set>

#include "session/table_reader.h"

namespace tessaril {

std::vector<std::string> CheckedTableNames(const ObjectTree& tree, const Catalog& catalog) {
  std::vector<std::string> names;
  std::set<std::int32_t> taken;
  if (tree.empty()) return names;
  tree.Walk(tree.root(), [&](TreeItemId id, int) {
    const TreeItem& item = tree.item(id);
    if (item.kind != TreeItemKind::kObject || (item.typeCode != "U " && item.typeCode != "S ")) {
      return;
    }
    if (tree.State(id) == CheckState::kUnchecked || !taken.insert(item.objectId).second) return;
    if (const CatalogObject* object = catalog.FindObject(item.objectId)) {
      names.push_back(QualifiedName(catalog, *object));
    }
  });
  return names;
}

}  // namespace tessaril
