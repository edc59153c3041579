// Drives the window as a person would, for the tests and the screenshots.
#pragma once

#include <QModelIndex>
#include <QString>

#include "ui/main_frame.h"
#include "ui/scripted_prompts.h"

namespace tessaril::ui {

// Lets the window run until no job is busy and every worker has ended and
// reported; false when that takes longer than timeoutMs.
bool WaitIdle(CMainFrame& frame, int timeoutMs = 120000);

// Open through the options dialog: the file, the log folder, a mode (0
// Standard, 1 Advanced). Returns at once; the scan runs.
void StartOpen(CMainFrame& frame, ScriptedPrompts& prompts, const QString& file,
               const QString& logFolder, int mode = 0);

// The first item with this text below parent (the whole tree when invalid).
QModelIndex FindItem(const ObjectTreeModel& model, const QString& text,
                     const QModelIndex& parent = {});
// The first item with this text among the children of the item `under`
// (found by its own text).
QModelIndex FindChild(const ObjectTreeModel& model, const QString& under, const QString& text);
QStringList ChildTexts(const ObjectTreeModel& model, const QModelIndex& parent);

// A left click on the item's label, with its ancestors expanded.
void ClickLabel(CFileView& view, const QModelIndex& index);

}  // namespace tessaril::ui
