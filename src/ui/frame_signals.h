// The reports that worker threads send to the window, as queued signals
// carrying values. Every signal names the job that sent it (its
// generation), so the window can drop what an older, stopped job reports.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "session/grid_view.h"
#include "session/object_viewer.h"

namespace tessaril::ui {

// What an export ended with.
struct ExportDone {
  bool ok = false;
  std::string error;               // when not ok: what went wrong
  std::vector<std::string> lines;  // when ok: the summary for the Output pane
};

class FrameSignals : public QObject {
  Q_OBJECT

 public:
  FrameSignals();

 signals:
  // The progress bar's position, in thousandths of the job's range.
  void progressPos(quint64 job, int thousandths);
  void progressVisible(quint64 job, bool visible);
  void statusText(quint64 job, const QString& text);
  void fatal(quint64 job, const QString& text);
  void logLine(quint64 job, const QString& text);
  void captionText(quint64 job, const QString& text);
  void informationBox(quint64 job, const QString& text);
  void clearViews(quint64 job);
  void jobEnded(quint64 job);

  // The results of the jobs.
  void scanEnded(quint64 job);
  void viewerShown(quint64 job, std::shared_ptr<tessaril::ViewerOutcome> outcome);
  void pageLoaded(quint64 job, std::shared_ptr<tessaril::PageView> page);
  void snapshotSaved(quint64 job, const QString& error);
  void exportEnded(quint64 job, std::shared_ptr<tessaril::ui::ExportDone> done);
};

}  // namespace tessaril::ui

Q_DECLARE_METATYPE(std::shared_ptr<tessaril::ViewerOutcome>)
Q_DECLARE_METATYPE(std::shared_ptr<tessaril::PageView>)
Q_DECLARE_METATYPE(std::shared_ptr<tessaril::ui::ExportDone>)
