// Times how fast the rows of a table come out of data pages already in
// memory: decoding the records of each page, and decoding them and rendering
// every value to its text, against the bare cost of copying the same pages.
//
//   build/release/bench/rows_bench [--benchmark_... flags]
//
// The tables are "Order Details" (five fixed-width columns) and "Orders"
// (fourteen columns: dates, money, Unicode text) of
// sql2008r2_northwind/NORTHWND.MDF from the corpus folder ($TESSARIL_CORPUS,
// else the folder configured at build time). A copy of that file in which the
// data pages of each table are appended again until it holds at least a
// million rows is written once to a temporary folder, removed at exit; each
// table's pages are read from it once and kept. Every iteration walks the
// kept pages and stops once a million rows have gone by. The rates are rows
// per second of CPU time on one core. After the benchmarks, a line per table
// sums them up.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/corpus_source.h"
#include "bench/grown_tables.h"
#include "bench/rate_collector.h"
#include "records/record_page.h"
#include "values/row_renderer.h"

namespace tessaril::bench {
namespace {

constexpr std::uint64_t kMinRows = 1'000'000;
constexpr const char* kSourceInCorpus = "sql2008r2_northwind/NORTHWND.MDF";
constexpr const char* kCollationFile = TESSARIL_SOURCE_DIR "/data/collation.txt";
constexpr const char* kRowsCounter = "rows";

// What a row of fixed-width columns should cost at most.
constexpr double kGoalRowsPerSecond = 1'000'000;
constexpr std::size_t kGoalColumns = 10;

struct TableCase {
  const char* table;  // as the catalog names it
  const char* label;  // in benchmark names
};
constexpr TableCase kTables[] = {{"Order Details", "OrderDetails"}, {"Orders", "Orders"}};

enum class Pass { kCopy, kDecode, kRender };

struct PassName {
  Pass pass;
  const char* name;
};
constexpr PassName kPasses[] = {
    {Pass::kCopy, "PageCopy"}, {Pass::kDecode, "DecodeRecords"}, {Pass::kRender, "RenderRows"}};

std::string BenchmarkName(Pass pass, const TableCase& table) {
  for (const PassName& p : kPasses) {
    if (p.pass == pass) return std::string(p.name) + "/" + table.label;
  }
  return table.label;
}

// The grown tables every benchmark reads: built on first use, removed when
// main's copy goes.
class SharedTables {
 public:
  GrownTables* Get() {
    if (!tried_) Build();
    return tables_.get();
  }
  // The tables when they were built, without building them.
  GrownTables* IfBuilt() const { return tables_.get(); }
  bool tried() const { return tried_; }
  const std::string& error() const { return error_; }

 private:
  void Build() {
    tried_ = true;
    const std::string source = CorpusSource(kSourceInCorpus, error_);
    if (!error_.empty()) return;
    std::fprintf(stderr, "rows_bench: growing the tables of %s to %llu rows each ...\n",
                 source.c_str(), static_cast<unsigned long long>(kMinRows));
    std::vector<std::string> names;
    for (const TableCase& t : kTables) names.emplace_back(t.table);
    Result<std::unique_ptr<GrownTables>> built =
        GrownTables::Build(source, names, kMinRows, kCollationFile);
    if (!built) {
      const Error& e = built.failure();
      error_ = e.detail.empty() ? e.message : e.message + ": " + e.detail;
      return;
    }
    tables_ = std::move(built).value();
    std::fprintf(stderr, "rows_bench: wrote %llu MiB;",
                 static_cast<unsigned long long>(tables_->file().size() >> 20));
    for (const TableCase& t : kTables) {
      const KeptTable* table = tables_->Find(t.table);
      std::fprintf(stderr, " %s: %zu pages, %llu rows;", t.table, table->pages().size(),
                   static_cast<unsigned long long>(table->rowCount()));
    }
    std::fprintf(stderr, " all held in memory\n");
  }

  bool tried_ = false;
  std::unique_ptr<GrownTables> tables_;
  std::string error_;
};

// Visits the kept pages from the first, starting over after the last, until
// at least kMinRows rows have gone by. visit returns the rows of the page it
// was given. Returns the rows visited.
template <class Visit>
std::uint64_t WalkPages(const std::vector<KeptPage>& pages, const Visit& visit) {
  std::uint64_t rows = 0;
  if (pages.empty()) return rows;
  for (std::size_t i = 0; rows < kMinRows; i = i + 1 == pages.size() ? 0 : i + 1) {
    rows += visit(pages[i]);
  }
  return rows;
}

// One pass over the pages of one table.
std::uint64_t RunPass(Pass pass, KeptTable& table) {
  RowContext& context = table.context();
  switch (pass) {
    case Pass::kCopy:
      return WalkPages(table.pages(), [](const KeptPage& p) {
        HeaderedPage copy(p.page);
        benchmark::DoNotOptimize(copy.bytes.data());
        benchmark::ClobberMemory();
        return p.rows;
      });
    case Pass::kDecode:
      return WalkPages(table.pages(), [&context](const KeptPage& p) {
        const PrimaryRecordPage records(p.page, &context.db, context.options);
        benchmark::DoNotOptimize(records.records().data());
        return p.rows;
      });
    case Pass::kRender:
      return WalkPages(table.pages(), [&context](const KeptPage& p) {
        const PrimaryRecordPage records(p.page, &context.db, context.options);
        const std::vector<RenderedRow> rows = RenderRows(records, context);
        benchmark::DoNotOptimize(rows.data());
        return rows.size();
      });
  }
  return 0;
}

void PassBenchmark(benchmark::State& state, SharedTables& shared, const TableCase& tableCase,
                   Pass pass) {
  GrownTables* tables = shared.Get();
  if (tables == nullptr) {
    state.SkipWithError(shared.error().c_str());
    return;
  }
  KeptTable& table = *tables->Find(tableCase.table);
  // Rows the same walk gives by the counts taken when the pages were read.
  const std::uint64_t expected = WalkPages(table.pages(), [](const KeptPage& p) { return p.rows; });
  std::uint64_t rows = 0;
  for (auto _ : state) {
    const std::uint64_t walked = RunPass(pass, table);
    if (walked != expected) {
      state.SkipWithError("a pass gave other rows than the pages gave when they were read");
      break;
    }
    rows += walked;
  }
  state.counters[kRowsCounter] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}

// The line per table after the runs, from the rates the runs reported.
void PrintSummary(const SharedTables& shared, const RateCollector& rates) {
  if (!shared.tried()) return;  // no benchmark ran
  GrownTables* tables = shared.IfBuilt();
  if (tables == nullptr) {
    std::printf("rows_bench: skipped: %s\n", shared.error().c_str());
    return;
  }
  std::printf("\nRows per second on one core, pages in memory:\n");
  for (const TableCase& t : kTables) {
    const std::optional<double> copy = rates.Rate(BenchmarkName(Pass::kCopy, t));
    const std::optional<double> decode = rates.Rate(BenchmarkName(Pass::kDecode, t));
    const std::optional<double> render = rates.Rate(BenchmarkName(Pass::kRender, t));
    if (!copy || !decode || !render) {
      std::printf("  %s: not all three passes ran\n", t.table);
      continue;
    }
    const KeptTable& table = *tables->Find(t.table);
    const std::size_t columns = table.storedColumnCount();
    std::printf(
        "  %s (%zu columns): rendered %.0f rows/s, decoded %.0f rows/s, "
        "render/page-copy time %.1f\n",
        t.table, columns, *render, *decode, *copy / *render);
    if (!table.fixedWidthOnly()) continue;
    // Each value costs the same, and the per-row work does not grow with the
    // columns, so a wider row is at least this fast.
    const double values = *render * static_cast<double>(columns);
    const double wideRows = values / static_cast<double>(kGoalColumns);
    std::printf(
        "    %.2f M values/s; a row of %zu fixed-width columns at that cost per value: "
        "at least %.0f rows/s, %.0f%% of the %.0f rows/s wanted\n",
        values / 1e6, kGoalColumns, wideRows, 100.0 * wideRows / kGoalRowsPerSecond,
        kGoalRowsPerSecond);
  }
}

}  // namespace
}  // namespace tessaril::bench

int main(int argc, char** argv) {
  using tessaril::bench::kPasses;
  using tessaril::bench::kTables;
  using tessaril::bench::PassName;
  using tessaril::bench::RateCollector;
  using tessaril::bench::SharedTables;
  using tessaril::bench::TableCase;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SharedTables shared;
  for (const TableCase& t : kTables) {
    for (const PassName& p : kPasses) {
      benchmark::RegisterBenchmark(BenchmarkName(p.pass, t).c_str(), [&shared, &t, pass = p.pass](
                                                                         benchmark::State& state) {
        tessaril::bench::PassBenchmark(state, shared, t, pass);
      })->Unit(benchmark::kMillisecond);
    }
  }
  RateCollector rates(
      std::unique_ptr<benchmark::BenchmarkReporter>(benchmark::CreateDefaultDisplayReporter()),
      tessaril::bench::kRowsCounter);
  benchmark::RunSpecifiedBenchmarks(&rates);
  benchmark::Shutdown();
  tessaril::bench::PrintSummary(shared, rates);
  return 0;
}
