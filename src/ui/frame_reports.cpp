// What the window does with the results of its jobs.
#include <QScrollBar>

#include "session/grid_view.h"
#include "ui/main_frame.h"

namespace tessaril::ui {

void CMainFrame::ShowPublishedTree() {
  const std::shared_ptr<const PublishedTree> published = session_.publishedTree();
  // A tree that grew within its scan keeps the items ids it had: what was
  // open stays open, and the view stays where it was scrolled to.
  std::vector<TreeItemId> expanded;
  const bool sameScan =
      !treeModel_.tree().empty() && treeModel_.scanNumber() == published->scanNumber;
  if (sameScan) {
    for (TreeItemId id = 0; id < treeModel_.tree().size(); ++id) {
      if (tree_->isExpanded(treeModel_.IndexOf(id))) expanded.push_back(id);
    }
  }
  const int scrolled = tree_->verticalScrollBar()->value();
  treeModel_.Update(*published);
  if (!sameScan) {
    // A new tree opens at its folders.
    tree_->expandToDepth(1);
    return;
  }
  for (TreeItemId id : expanded) tree_->expand(treeModel_.IndexOf(id));
  tree_->verticalScrollBar()->setValue(scrolled);
}

void CMainFrame::OnViewerShown(quint64 job, const std::shared_ptr<ViewerOutcome>& outcome) {
  RefreshCommands();
  if (!Current(job)) return;
  ShowPublishedTree();
  // The tree was rebuilt: the opened item stays the selected one.
  tree_->selectionModel()->setCurrentIndex(treeModel_.IndexOf(shownItem_),
                                           QItemSelectionModel::ClearAndSelect);
  SetProgressShown(false);
  if (!outcome->completed) return;
  if (outcome->display == ViewerDisplay::kRecords && outcome->table) {
    table_ = std::shared_ptr<TableReader>(std::move(outcome->table));
    const TableLayout& layout = table_->layout();
    const std::vector<std::size_t> columns =
        GridColumns(layout, table_->scan()->catalog.sql2000Layout);
    QStringList titles;
    for (std::size_t column : columns) titles << ToQString(layout.columns[column].name);
    view_->ShowGrid(titles, columns);
    view_->ShowRows(outcome->firstPage.rows);
    view_->SetPageButtons(outcome->nextEnabled, false);
  } else if (outcome->display == ViewerDisplay::kText) {
    table_.reset();
    view_->ShowText(ToQString(outcome->text));
  }
  view_->SetPageLabel(ToQString(outcome->pageLabel));
  caption_->SetCaptionText(ToQString(outcome->caption));
}

void CMainFrame::OnPageLoaded(quint64 job, const std::shared_ptr<PageView>& page) {
  RefreshCommands();
  if (!Current(job)) return;
  SetProgressShown(false);
  view_->ShowRows(page->page.rows);
  view_->SetPageLabel(ToQString(page->label));
  view_->SetPageButtons(page->nextEnabled, page->previousEnabled);
}

void CMainFrame::OnExportEnded(quint64 job, const std::shared_ptr<ExportDone>& done) {
  RefreshCommands();
  if (done->ok) {
    for (const std::string& line : done->lines) output_->AppendLogLine(ToQString(line));
  } else {
    output_->AppendLogLine(ToQString(done->error));
  }
  if (!Current(job)) return;
  SetProgressShown(false);
  prompts_.Information(this, ToQString(done->ok ? done->lines.front() : done->error));
}

}  // namespace tessaril::ui
