// How long the window's user-interface thread is ever kept from its event
// loop: a timer probe ticks every millisecond and the longest gap between
// ticks is reported for a scan of a large grown file, for opening its
// biggest table and for paging through it; then the cost of showing a
// 1000-row page whose rows are already rendered.
//   ui_gap_bench [MIN_MB]   (default 1024; TESSARIL_CORPUS names the corpus)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/corpus_source.h"
#include "bench/repeated_file.h"
#include "session/table_reader.h"
#include "ui/window_driver.h"

namespace tessaril::bench {
namespace {

// The longest time between two ticks of a 1 ms timer, since the last Take.
class GapProbe {
 public:
  GapProbe() {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout,
                     [this] { longest_ = std::max(longest_, clock_.restart()); });
    clock_.start();
    timer_.start();
  }
  qint64 Take() {
    const qint64 longest = longest_;
    longest_ = 0;
    clock_.restart();
    return longest;
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

// Order Details of northwind with its data pages appended until the file
// holds at least minBytes.
Result<std::unique_ptr<RepeatedFile>> GrownNorthwind(const std::string& source,
                                                     std::uint64_t minBytes) {
  OpenRequest request;
  request.path = source;
  request.settings.advancedMode = true;
  ScanEvents quiet;
  StopFlag stop;
  Result<std::shared_ptr<ScanResult>> opened = OpenDatabase(request, quiet, stop);
  if (!opened) return Error{opened.error()};
  const ScanSnapshot scan = std::move(opened).value();
  const Result<const CatalogObject*> object =
      FindObjectByName(scan->catalog, "Order Details", NameScope::kTables);
  if (!object) return Error{object.error()};
  Result<std::unique_ptr<TableReader>> table = TableReader::Open(scan, (*object)->id);
  if (!table) return Error{table.error()};
  std::vector<std::uint32_t> pages;
  for (const PageId& p : (*table)->layout().pages) {
    pages.push_back(static_cast<std::uint32_t>(p.pageNumber));
  }
  if (pages.empty()) return Error{"Order Details has no pages"};
  const std::uint64_t copies = minBytes / (pages.size() * 8192) + 1;
  const testing::GrownFile grown(scan->db->pageCount(), {{std::move(pages), copies}});
  return RepeatedFile::BuildGrown(source, grown);
}

}  // namespace
}  // namespace tessaril::bench

int main(int argc, char** argv) {
  using namespace tessaril;
  using namespace tessaril::ui;
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const std::uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
  std::string error;
  const std::string source = bench::CorpusSource("sql2008r2_northwind/NORTHWND.MDF", error);
  if (!error.empty()) {
    std::printf("%s\n", error.c_str());
    return 0;
  }
  Result<std::unique_ptr<bench::RepeatedFile>> grown =
      bench::GrownNorthwind(source, megabytes << 20);
  if (!grown) {
    std::printf("cannot build the grown file: %s\n", grown.error().c_str());
    return 1;
  }
  const QString path = QString::fromStdString((*grown)->path());
  std::printf("grown file: %llu MB\n", static_cast<unsigned long long>((*grown)->size() >> 20));

  ScriptedPrompts prompts;
  CMainFrame frame(CollationTable::LoadBesideProgram(), prompts);
  frame.resize(1280, 800);
  frame.show();
  bench::GapProbe probe;
  QElapsedTimer phase;
  const auto report = [&](const char* what) {
    std::printf("%-34s %8.2f s   longest UI gap %4lld ms\n", what,
                static_cast<double>(phase.elapsed()) / 1000.0,
                static_cast<long long>(probe.Take()));
  };

  // Advanced mode: the appended pages are in the table's collected list.
  phase.start();
  probe.Take();
  StartOpen(frame, prompts, path, QDir::tempPath(), 1);
  if (!WaitIdle(frame, 3600 * 1000)) return 1;
  report("scan");

  const QModelIndex details = FindChild(frame.treeModel(), "User Tables", "Order Details");
  phase.start();
  probe.Take();
  ClickLabel(frame.treeView(), details);
  WaitIdle(frame);
  report("open Order Details (first page)");

  constexpr int kPages = 30;
  phase.start();
  probe.Take();
  std::vector<qint64> gaps;
  for (int i = 0; i < kPages && frame.view().nextButton().isEnabled(); ++i) {
    frame.NextRecords();
    WaitIdle(frame);
    gaps.push_back(probe.Take());
  }
  std::printf("%-34s %8.2f s   longest UI gap %4lld ms\n", "30 x Next Records",
              static_cast<double>(phase.elapsed()) / 1000.0,
              static_cast<long long>(*std::max_element(gaps.begin(), gaps.end())));
  std::printf("  longest gap of each page:");
  for (qint64 gap : gaps) std::printf(" %lld", static_cast<long long>(gap));
  std::printf("\n");
  std::printf("page label: %s\n", frame.view().pageLabel().text().toUtf8().constData());

  // Showing rows already rendered: the model takes them and the grid paints.
  const ScanSnapshot scan = frame.session().current();
  const Result<const CatalogObject*> object =
      FindObjectByName(scan->catalog, "Order Details", NameScope::kTables);
  if (!object) return 1;
  Result<std::unique_ptr<TableReader>> table = TableReader::Open(scan, (*object)->id);
  if (!table) return 1;
  ScanEvents quiet;
  const GridPage page = (*table)->First(quiet);
  std::vector<double> costs;
  for (int i = 0; i < 20; ++i) {
    QElapsedTimer shown;
    shown.start();
    frame.view().ShowRows(page.rows);
    frame.view().grid().viewport()->repaint();
    costs.push_back(static_cast<double>(shown.nsecsElapsed()) / 1e6);
  }
  std::sort(costs.begin(), costs.end());
  std::printf("showing a %zu-row page: median %.2f ms, worst %.2f ms\n", page.rows.size(),
              costs[costs.size() / 2], costs.back());
  frame.session().RequestStop();
  return 0;
}
