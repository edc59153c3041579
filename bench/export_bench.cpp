// Export at scale: a real table (Albums of the MVC Music Store file) grown
// to a million rows or more, exported to each format in a process of its
// own, against a plain sequential read of the same file and a walk over the
// table's rows that writes nothing, both measured in the same run. Prints
// seconds, MB of the file per second, rows per second and peak resident
// memory, with the ratios to the baselines.
//   export_bench [MIN_ROWS]   (default 1,000,000; TESSARIL_CORPUS names the corpus)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "bench/repeated_file.h"
#include "export/export_job.h"
#include "session/table_reader.h"

namespace tessaril::bench {
namespace {

namespace fs = std::filesystem;

struct Measured {
  double seconds = 0;
  long peakKb = 0;
  bool ok = false;
};

// Runs work in a child process: its wall time and its own peak resident memory.
Measured InChild(const std::function<bool()>& work) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) _exit(work() ? 0 : 1);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  Measured m;
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m.peakKb = usage.ru_maxrss;
  m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return m;
}

// The first figure of /proc/loadavg: how busy the machine was.
std::string LoadAverage() {
  std::FILE* f = std::fopen("/proc/loadavg", "r");
  if (f == nullptr) return "unknown";
  char text[32] = {};
  const bool read = std::fscanf(f, "%31s", text) == 1;
  std::fclose(f);
  return read ? text : "unknown";
}

bool ReadWhole(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  std::vector<char> buffer(1 << 20);
  while (read(fd, buffer.data(), buffer.size()) > 0) {
  }
  close(fd);
  return true;
}

// The file read as a user reads it: each table by its own chain.
ScanSnapshot Open(const std::string& path) {
  OpenRequest request;
  request.path = path;
  ScanEvents quiet;
  StopFlag stop;
  Result<std::shared_ptr<ScanResult>> opened = OpenDatabase(request, quiet, stop);
  return opened ? ScanSnapshot(std::move(opened).value()) : nullptr;
}

std::int32_t TableId(const ScanSnapshot& scan, const char* name) {
  const Result<const CatalogObject*> object =
      FindObjectByName(scan->catalog, name, NameScope::kTables);
  return object ? (*object)->id : 0;
}

}  // namespace
}  // namespace tessaril::bench

int main(int argc, char** argv) {
  using namespace tessaril;
  using namespace tessaril::bench;
  const std::uint64_t minRows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  const char* corpus = std::getenv("TESSARIL_CORPUS");
  const fs::path source = fs::path(corpus != nullptr ? corpus : TESSARIL_DEFAULT_CORPUS) /
                          "sql2012_mvcmusicstore" / "MvcMusicStore.mdf";
  if (!fs::exists(source)) {
    std::printf("corpus file %s not found: nothing measured\n", source.c_str());
    return 0;
  }
  const ScanSnapshot small = Open(source.string());
  Result<std::unique_ptr<TableReader>> albums =
      small ? TableReader::Open(small, TableId(small, "Albums")) : Error{"cannot open"};
  if (!albums) {
    std::printf("cannot read Albums: %s\n", albums.error().c_str());
    return 1;
  }
  std::uint64_t rowsPerCopy = 0;
  ScanEvents quiet;
  (*albums)->ForEachPage(quiet, [&](const GridPage& page) {
    rowsPerCopy += page.rows.size();
    return true;
  });
  // The copies are linked into the table's page chain, which the walk and
  // the export follow.
  testing::ChainToGrow chain;
  for (const PageId& p : (*albums)->pager().pageList()) {
    chain.chain.push_back(static_cast<std::uint32_t>(p.pageNumber));
  }
  chain.copies = rowsPerCopy == 0 ? 0 : (minRows + rowsPerCopy - 1) / rowsPerCopy - 1;
  const testing::GrownFile layout(small->db->pageCount(), {chain});
  Result<std::unique_ptr<RepeatedFile>> grown = RepeatedFile::BuildGrown(source.string(), layout);
  if (!grown) {
    std::printf("cannot build the grown file: %s\n", grown.error().c_str());
    return 1;
  }
  const std::string path = (*grown)->path();
  const double megabytes = static_cast<double>(fs::file_size(path)) / (1 << 20);
  const fs::path out = fs::path(path).parent_path() / "out";

  const std::uint64_t rows = rowsPerCopy * (chain.copies + 1);
  const Measured read = InChild([&] { return ReadWhole(path); });
  const auto walkOn = [&](unsigned threads) {
    return InChild([&] {
      const ScanSnapshot scan = Open(path);
      if (!scan) return false;
      Result<std::unique_ptr<TableReader>> table = TableReader::Open(scan, TableId(scan, "Albums"));
      if (!table) return false;
      (*table)->SetReadAheadThreads(threads);
      std::uint64_t n = 0;
      (*table)->ForEachPage(quiet, [&](const GridPage& page) {
        n += page.rows.size();
        return true;
      });
      return n == rows;  // every row of every copy
    });
  };
  const unsigned cores = DefaultReadAheadThreads();
  const Measured walk = walkOn(1);
  std::printf("grown file: %.0f MB, Albums %llu rows; %u cores, load average %s\n", megabytes,
              static_cast<unsigned long long>(rows), cores, LoadAverage().c_str());
  std::printf("%-26s %8s %9s %11s %9s %9s %9s %9s\n", "pass", "seconds", "MB/s", "rows/s",
              "peak MB", "x read", "x walk", "x 1 core");
  const auto print = [&](const std::string& name, const Measured& m, const Measured& oneCore) {
    std::printf("%-26s %8.3f %9.1f %11.0f %9.1f %9.2f %9.2f %9.2f%s\n", name.c_str(), m.seconds,
                megabytes / m.seconds, static_cast<double>(rows) / m.seconds,
                static_cast<double>(m.peakKb) / 1024, read.seconds / m.seconds,
                walk.seconds / m.seconds, oneCore.seconds / m.seconds, m.ok ? "" : "  (failed)");
  };
  const std::string onCores = ", " + std::to_string(cores) + " threads";
  print("sequential read", read, read);
  print("walk (rows --all), 1 thread", walk, walk);
  if (cores > 1) print("walk" + onCores, walkOn(cores), walk);
  for (const auto& [name, format, target] :
       {std::tuple{"export csv", ExportFormat::kCsv, out / "csv"},
        std::tuple{"export sqlite", ExportFormat::kSqlite, out / "db.sqlite"},
        std::tuple{"export sql script", ExportFormat::kSqlScript, out / "db.sql"}}) {
    const auto exportOn = [&, format = format, target = target](unsigned threads) {
      fs::create_directories(out);
      const Measured m = InChild([&] {
        const ScanSnapshot scan = Open(path);
        if (!scan) return false;
        ExportRequest request;
        request.format = format;
        request.destination = target.string();
        request.tables = {"Albums"};
        request.readAheadThreads = threads;
        StopFlag stop;
        return RunExport(scan, request, quiet, stop).ok();
      });
      fs::remove_all(out);
      return m;
    };
    const Measured oneCore = exportOn(1);
    print(std::string(name) + ", 1 thread", oneCore, oneCore);
    if (cores > 1) print(name + onCores, exportOn(cores), oneCore);
  }
  return 0;
}
