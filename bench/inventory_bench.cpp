// Times opening a large data file (the data offset check and the inventory
// pass) against a plain front-to-back read of the same file, and reports
// what the inventory costs in memory per page.
//
//   build/release/bench/inventory_bench [--benchmark_... flags]
//
// The file is 1 GiB of the pages of sql2014_pubs/Pubs.mdf from the corpus
// folder ($TESSARIL_CORPUS, else the folder configured at build time),
// repeated, written once to a temporary folder that is removed at exit. After
// the benchmarks, both passes are timed again a few times over the warm page
// cache and their ratio is printed.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/progress.h"
#include "base/stop_flag.h"
#include "bench/corpus_source.h"
#include "bench/memory_use.h"
#include "bench/repeated_file.h"
#include "storage/database_file.h"
#include "storage/snapshot_file.h"

namespace tessaril::bench {
namespace {

constexpr std::uint64_t kFileBytes = std::uint64_t{1} << 30;
constexpr std::size_t kReadBlock = std::size_t{1} << 20;
constexpr int kComparisonPasses = 3;
constexpr const char* kSourceInCorpus = "sql2014_pubs/Pubs.mdf";
// The header byte the plain read touches on every page: the page type.
constexpr std::size_t kTouchedByte = 1;

struct PlainPass {
  std::uint64_t bytes = 0;
  std::uint64_t typeSum = 0;  // keeps the reads from being dropped
};

// The baseline: the whole file front to back with pread in 1 MiB blocks,
// touching one byte of each page.
PlainPass PlainRead(const std::string& path) {
  PlainPass pass;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return pass;
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  std::vector<std::uint8_t> block(kReadBlock);
  for (;;) {
    const ssize_t n = ::pread(fd, block.data(), block.size(), static_cast<off_t>(pass.bytes));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const auto got = static_cast<std::size_t>(n);
    for (std::size_t at = kTouchedByte; at < got; at += kPageSize) pass.typeSum += block[at];
    pass.bytes += got;
  }
  ::close(fd);
  return pass;
}

Result<std::unique_ptr<DatabaseFile>> OpenWithInventory(const std::string& path) {
  NullProgress progress;
  StopFlag stop;
  return DatabaseFile::Open(path, false, progress, stop);
}

std::string Describe(const Error& error) {
  return error.detail.empty() ? error.message : error.message + ": " + error.detail;
}

// The file both benchmarks and the final comparison read: built on first use,
// read once to warm the page cache, removed when main's copy goes.
class SharedFile {
 public:
  const RepeatedFile* Get() {
    if (!tried_) Build();
    return file_.get();
  }
  const std::string& error() const { return error_; }

 private:
  void Build() {
    tried_ = true;
    const std::string source = CorpusSource(kSourceInCorpus, error_);
    if (!error_.empty()) return;
    std::fprintf(stderr, "inventory_bench: writing %llu MiB of repeated pages of %s ...\n",
                 static_cast<unsigned long long>(kFileBytes >> 20), source.c_str());
    Result<std::unique_ptr<RepeatedFile>> built = RepeatedFile::Build(source, kFileBytes);
    if (!built) {
      error_ = Describe(built.failure());
      return;
    }
    file_ = std::move(built).value();
    PlainRead(file_->path());
  }

  bool tried_ = false;
  std::unique_ptr<RepeatedFile> file_;
  std::string error_;
};

void PlainReadBenchmark(benchmark::State& state, SharedFile& shared) {
  const RepeatedFile* file = shared.Get();
  if (file == nullptr) {
    state.SkipWithError(shared.error().c_str());
    return;
  }
  for (auto _ : state) {
    const PlainPass pass = PlainRead(file->path());
    benchmark::DoNotOptimize(pass.typeSum);
    if (pass.bytes != file->size()) {
      state.SkipWithError("the generated file read short");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file->size()));
}

void OpenBenchmark(benchmark::State& state, SharedFile& shared) {
  const RepeatedFile* file = shared.Get();
  if (file == nullptr) {
    state.SkipWithError(shared.error().c_str());
    return;
  }
  std::uint64_t entries = 0;
  std::uint64_t inventoryBytes = 0;
  for (auto _ : state) {
    Result<std::unique_ptr<DatabaseFile>> db = OpenWithInventory(file->path());
    if (!db) {
      state.SkipWithError(Describe(db.failure()).c_str());
      break;
    }
    entries = db.value()->inventory().entryCount();
    inventoryBytes = InventoryBytes(db.value()->inventory());
    benchmark::DoNotOptimize(entries);
  }
  const auto pages = static_cast<double>(file->pageCount());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file->size()));
  state.counters["pages"] = pages;
  state.counters["entries"] = static_cast<double>(entries);
  state.counters["inventory_bytes_per_page"] = static_cast<double>(inventoryBytes) / pages;
}

template <class Pass>
double BestSeconds(const Pass& pass) {
  double best = std::numeric_limits<double>::infinity();
  for (int i = 0; i < kComparisonPasses; ++i) {
    const auto start = std::chrono::steady_clock::now();
    pass();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

double MiBPerSecond(std::uint64_t bytes, double seconds) {
  return static_cast<double>(bytes) / static_cast<double>(1 << 20) / seconds;
}

// Opening from a snapshot of the same file, against the mapping pass timed
// in the same run: the snapshot is written beside the file and removed after.
int CompareSnapshot(const std::string& path, double openSeconds) {
  const std::string snapshot = path + ".MDBVTR";
  Result<std::unique_ptr<DatabaseFile>> mapped = OpenWithInventory(path);
  if (!mapped || !WriteSnapshot(snapshot, {path}, mapped.value()->inventory())) {
    std::printf("inventory_bench: the snapshot could not be written\n");
    return 1;
  }
  NullProgress progress;
  StopFlag stop;
  bool loaded = true;
  const double fromSnapshot = BestSeconds([&] {
    loaded = loaded && DatabaseFile::OpenFromSnapshot(path, false, snapshot, progress, stop).ok();
  });
  const auto snapshotBytes = std::filesystem::file_size(snapshot);
  std::filesystem::remove(snapshot);
  if (!loaded) {
    std::printf("inventory_bench: the snapshot did not load\n");
    return 1;
  }
  std::printf("  open from a snapshot (%llu bytes): %8.3f s\n",
              static_cast<unsigned long long>(snapshotBytes), fromSnapshot);
  std::printf("snapshot/inventory ratio: %.3f\n", fromSnapshot / openSeconds);
  return 0;
}

// Opening with the inventory cache, against the mapping pass timed in the
// same run: the first open maps the file and writes the entry, the next ones
// read it. The cache folder is a temporary one of its own, removed after.
int CompareCache(const std::string& path, double openSeconds) {
  std::string folder = std::filesystem::temp_directory_path().string() + "/tessaril-cache-XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) {
    std::printf("inventory_bench: no folder for the cache\n");
    return 1;
  }
  NullProgress progress;
  StopFlag stop;
  const auto openCached = [&] {
    return DatabaseFile::Open(path, false, progress, stop, InventoryMode::kMap, folder).ok();
  };
  bool opened = true;
  // Each first open starts from an empty folder.
  const double first = BestSeconds([&] {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::filesystem::remove(entry.path());
    }
    opened = opened && openCached();
  });
  const double again = BestSeconds([&] { opened = opened && openCached(); });
  std::uint64_t entryBytes = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    entryBytes += entry.file_size();
  }
  std::filesystem::remove_all(folder);
  if (!opened) {
    std::printf("inventory_bench: the file did not open through the cache\n");
    return 1;
  }
  std::printf("  first open, writing the cache:    %8.3f s  (ratio to the mapping pass %.2f)\n",
              first, first / openSeconds);
  std::printf("  open from the cache (%llu bytes): %8.4f s  (ratio to the mapping pass %.3f)\n",
              static_cast<unsigned long long>(entryBytes), again, again / openSeconds);
  return 0;
}

// Times both passes again over the warm cache and prints their ratio and the
// inventory's memory per page.
int Compare(SharedFile& shared) {
  const RepeatedFile* file = shared.Get();
  if (file == nullptr) {
    std::printf("inventory_bench: skipped: %s\n", shared.error().c_str());
    return 0;
  }
  const std::string& path = file->path();
  const double plain = BestSeconds([&] { benchmark::DoNotOptimize(PlainRead(path).typeSum); });
  bool opened = true;
  const double open = BestSeconds([&] { opened = opened && OpenWithInventory(path).ok(); });
  std::uint64_t entries = 0;
  std::uint64_t inventoryBytes = 0;
  std::uint64_t heapHeld = 0;
  const PeakRise rise = MeasurePeakRise([&] {
    const std::uint64_t heapBefore = HeapInUse();
    Result<std::unique_ptr<DatabaseFile>> db = OpenWithInventory(path);
    if (!db) return;
    heapHeld = HeapInUse() - heapBefore;
    entries = db.value()->inventory().entryCount();
    inventoryBytes = InventoryBytes(db.value()->inventory());
  });
  if (!opened || entries == 0) {
    std::printf("inventory_bench: the generated file did not open with an inventory\n");
    return 1;
  }

  const auto pages = static_cast<double>(file->pageCount());
  std::printf("\nWhole-file passes over %llu MiB (%llu pages; best of %d, warm page cache)\n",
              static_cast<unsigned long long>(file->size() >> 20),
              static_cast<unsigned long long>(file->pageCount()), kComparisonPasses);
  std::printf("  plain read (pread, 1 MiB blocks): %8.3f s  %8.0f MiB/s\n", plain,
              MiBPerSecond(file->size(), plain));
  std::printf("  open with inventory:              %8.3f s  %8.0f MiB/s\n", open,
              MiBPerSecond(file->size(), open));
  std::printf("inventory/plain-read ratio: %.2f\n", open / plain);
  std::printf("inventory: %llu entries, about %llu bytes in its maps, %.2f bytes per page\n",
              static_cast<unsigned long long>(entries),
              static_cast<unsigned long long>(inventoryBytes),
              static_cast<double>(inventoryBytes) / pages);
  std::printf("heap held by the opened file: %llu bytes, %.2f bytes per page\n",
              static_cast<unsigned long long>(heapHeld), static_cast<double>(heapHeld) / pages);
  std::printf("peak resident size rise during open: %llu bytes, %.2f bytes per page%s\n",
              static_cast<unsigned long long>(rise.bytes), static_cast<double>(rise.bytes) / pages,
              rise.fromReset ? "" : " (lifetime peak only; the reset was refused)");
  if (const int status = CompareSnapshot(path, open); status != 0) return status;
  return CompareCache(path, open);
}

}  // namespace
}  // namespace tessaril::bench

int main(int argc, char** argv) {
  using tessaril::bench::SharedFile;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SharedFile shared;
  benchmark::RegisterBenchmark(
      "PlainRead/pread_1MiB",
      [&shared](benchmark::State& state) { tessaril::bench::PlainReadBenchmark(state, shared); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark(
      "DatabaseFile_Open/inventory",
      [&shared](benchmark::State& state) { tessaril::bench::OpenBenchmark(state, shared); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return tessaril::bench::Compare(shared);
}
