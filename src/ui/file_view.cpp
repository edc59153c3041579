#include "ui/file_view.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

namespace tessaril::ui {

namespace {
// A tooltip shows at most this much of a label.
constexpr qsizetype kTooltipCharacters = 78;
}  // namespace

CFileView::CFileView(QWidget* parent) : QTreeView(parent) {
  setObjectName("objectTree");
  setHeaderHidden(true);
  setContextMenuPolicy(Qt::NoContextMenu);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setExpandsOnDoubleClick(true);
  setUniformRowHeights(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QRect CFileView::LabelRect(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualRect(index);
  option.index = index;
  option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasCheckIndicator |
                     QStyleOptionViewItem::HasDecoration;
  option.text = index.data(Qt::DisplayRole).toString();
  const QVariant font = index.data(Qt::FontRole);
  if (font.isValid()) option.font = font.value<QFont>();
  QRect text = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
  const int width = QFontMetrics(option.font).horizontalAdvance(option.text) + 6;
  text.setWidth(std::min(text.width(), width));
  return text;
}

void CFileView::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  const bool onLabel = event->button() == Qt::LeftButton && index.isValid() &&
                       LabelRect(index).contains(event->position().toPoint());
  QTreeView::mousePressEvent(event);
  if (onLabel) emit labelClicked(index);
}

bool CFileView::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTreeView::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = indexAt(help->pos());
  const QString text = index.data(Qt::DisplayRole).toString();
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  const QVariant font = index.data(Qt::FontRole);
  if (font.isValid()) option.font = font.value<QFont>();
  const QRect label = LabelRect(index);
  const int needed = label.left() + QFontMetrics(option.font).horizontalAdvance(text);
  if (index.isValid() && needed > viewport()->width()) {
    QToolTip::showText(help->globalPos(), text.left(kTooltipCharacters), this, label);
  } else {
    QToolTip::hideText();
  }
  return true;
}

}  // namespace tessaril::ui
