#include "ui/object_tree_model.h"

#include <QFont>

#include "ui/ui_events.h"

namespace tessaril::ui {

namespace {

// Model indexes carry the item id plus one, so that 0 is no item.
quintptr Tag(TreeItemId id) { return static_cast<quintptr>(id) + 1; }

}  // namespace

ObjectTreeModel::ObjectTreeModel(QObject* parent)
    : QAbstractItemModel(parent),
      folderIcon_(":/icons/folder.svg"),
      tableIcon_(":/icons/table.svg"),
      itemIcon_(":/icons/item.svg") {
  tree_ = ObjectTree();
}

void ObjectTreeModel::Update(const PublishedTree& published) {
  beginResetModel();
  if (published.scanNumber == scanNumber_ && !tree_.empty()) {
    // Items only ever join a scan's tree: the boxes of those already shown
    // stay as the user set them, and new ones start unchecked.
    ObjectTree next = published.tree;
    next.SetChecked(next.root(), false);
    for (TreeItemId id = 0; id < tree_.size() && id < next.size(); ++id) {
      if (tree_.item(id).checked && tree_.item(id).children.empty()) next.SetChecked(id, true);
    }
    tree_ = std::move(next);
  } else {
    tree_ = published.tree;
  }
  scanNumber_ = published.scanNumber;
  IndexRows();
  endResetModel();
}

void ObjectTreeModel::Clear() {
  beginResetModel();
  tree_.Clear();
  rowInParent_.clear();
  endResetModel();
}

void ObjectTreeModel::IndexRows() {
  rowInParent_.assign(tree_.size(), 0);
  for (TreeItemId id = 0; id < tree_.size(); ++id) {
    const std::vector<TreeItemId>& children = tree_.item(id).children;
    for (std::size_t row = 0; row < children.size(); ++row) {
      if (tree_.Has(children[row])) rowInParent_[children[row]] = static_cast<int>(row);
    }
  }
}

TreeItemId ObjectTreeModel::IdOf(const QModelIndex& index) const {
  if (!index.isValid() || index.internalId() == 0) return kNoTreeItem;
  return static_cast<TreeItemId>(index.internalId() - 1);
}

QModelIndex ObjectTreeModel::IndexOf(TreeItemId id) const {
  if (!tree_.Has(id) || id >= rowInParent_.size()) return {};
  return createIndex(rowInParent_[id], 0, Tag(id));
}

QModelIndex ObjectTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column != 0 || tree_.empty()) return {};
  if (!parent.isValid()) return row == 0 ? createIndex(0, 0, Tag(tree_.root())) : QModelIndex();
  const TreeItemId id = IdOf(parent);
  if (!tree_.Has(id)) return {};
  const std::vector<TreeItemId>& children = tree_.item(id).children;
  if (static_cast<std::size_t>(row) >= children.size()) return {};
  return createIndex(row, 0, Tag(children[static_cast<std::size_t>(row)]));
}

QModelIndex ObjectTreeModel::parent(const QModelIndex& child) const {
  const TreeItemId id = IdOf(child);
  if (!tree_.Has(id)) return {};
  return IndexOf(tree_.item(id).parent);
}

int ObjectTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  if (!parent.isValid()) return tree_.empty() ? 0 : 1;
  const TreeItemId id = IdOf(parent);
  return tree_.Has(id) ? static_cast<int>(tree_.item(id).children.size()) : 0;
}

int ObjectTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant ObjectTreeModel::data(const QModelIndex& index, int role) const {
  const TreeItemId id = IdOf(index);
  if (!tree_.Has(id)) return {};
  const TreeItem& item = tree_.item(id);
  switch (role) {
    case Qt::DisplayRole:
      return ToQString(item.text);
    case Qt::FontRole:
      if (item.bold) {
        QFont font;
        font.setBold(true);
        return font;
      }
      return {};
    case Qt::CheckStateRole:
      switch (tree_.State(id)) {
        case CheckState::kChecked:
          return Qt::Checked;
        case CheckState::kPartlyChecked:
          return Qt::PartiallyChecked;
        case CheckState::kUnchecked:
          return Qt::Unchecked;
      }
      return {};
    case Qt::DecorationRole:
      if (item.kind == TreeItemKind::kRoot || item.kind == TreeItemKind::kFolder ||
          item.kind == TreeItemKind::kKeyFolder || item.kind == TreeItemKind::kColumns) {
        return folderIcon_;
      }
      return item.typeCode == "U " || item.typeCode == "S " ? tableIcon_ : itemIcon_;
    default:
      return {};
  }
}

bool ObjectTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  const TreeItemId id = IdOf(index);
  if (role != Qt::CheckStateRole || !tree_.Has(id)) return false;
  tree_.SetChecked(id, value.value<Qt::CheckState>() == Qt::Checked);
  CheckStatesChanged(id);
  return true;
}

Qt::ItemFlags ObjectTreeModel::flags(const QModelIndex& index) const {
  if (!tree_.Has(IdOf(index))) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

void ObjectTreeModel::CheckStatesChanged(TreeItemId item) {
  const QList<int> roles{Qt::CheckStateRole};
  for (TreeItemId up = item; tree_.Has(up); up = tree_.item(up).parent) {
    const QModelIndex index = IndexOf(up);
    emit dataChanged(index, index, roles);
  }
  SubtreeChanged(item);
}

void ObjectTreeModel::SubtreeChanged(TreeItemId item) {
  const std::vector<TreeItemId>& children = tree_.item(item).children;
  if (children.empty()) return;
  emit dataChanged(IndexOf(children.front()), IndexOf(children.back()), {Qt::CheckStateRole});
  for (TreeItemId child : children) SubtreeChanged(child);
}

}  // namespace tessaril::ui
