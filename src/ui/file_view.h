// The object tree pane's tree: check boxes that check a whole subtree, a
// click on an item's label that opens it, and no context menu.
#pragma once

#include <QTreeView>

namespace tessaril::ui {

class CFileView final : public QTreeView {
  Q_OBJECT

 public:
  explicit CFileView(QWidget* parent = nullptr);

  // Where the label of an item is drawn, in viewport coordinates.
  QRect LabelRect(const QModelIndex& index) const;

 signals:
  // The left button went down on an item's label (not its box, icon or
  // expand button); keyboard navigation does not send it.
  void labelClicked(const QModelIndex& index);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  bool viewportEvent(QEvent* event) override;
};

}  // namespace tessaril::ui
