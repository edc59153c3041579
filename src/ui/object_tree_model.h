// The object tree behind a Qt item model: the window's own copy of the tree
// a job published, with the check boxes the user sets on it.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <memory>
#include <vector>

#include "session/object_tree.h"
#include "session/scan_session.h"

namespace tessaril::ui {

class ObjectTreeModel final : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit ObjectTreeModel(QObject* parent = nullptr);

  // Shows a tree a job published. A tree of the same scan keeps the check
  // boxes set so far; a new scan's tree replaces everything.
  void Update(const PublishedTree& published);
  void Clear();

  const ObjectTree& tree() const { return tree_; }
  std::uint64_t scanNumber() const { return scanNumber_; }
  TreeItemId IdOf(const QModelIndex& index) const;
  QModelIndex IndexOf(TreeItemId id) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  // Tells the views that the check boxes of item, its descendants and its
  // ancestors changed.
  void CheckStatesChanged(TreeItemId item);
  void SubtreeChanged(TreeItemId item);
  void IndexRows();

  ObjectTree tree_;
  std::uint64_t scanNumber_ = 0;
  std::vector<int> rowInParent_;
  QIcon folderIcon_;
  QIcon tableIcon_;
  QIcon itemIcon_;
};

}  // namespace tessaril::ui
