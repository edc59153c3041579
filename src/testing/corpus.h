// Test support: the folder of real data files and temporary folders.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessaril::testing {

// The corpus folder: $TESSARIL_CORPUS, else ../shared/corpus beside the
// checkout. Empty when it does not exist.
std::optional<std::filesystem::path> CorpusDir();

// One row of MANIFEST.tsv.
struct CorpusFile {
  std::string dir;
  std::string file;
  std::uint64_t bytes = 0;
  int formatVersion = 0;
  std::string versionName;
  std::string dbName;
  std::filesystem::path path;  // full path of the data file
};

std::vector<CorpusFile> CorpusFiles();

// A corpus file with the script that made its database: its folder, and the
// script's path relative to the corpus folder.
struct ScriptedFile {
  const char* dir;
  const char* script;
};
// The four corpus files whose scripts hold every row.
inline constexpr ScriptedFile kScriptedFiles[] = {
    {"sql2000_northwind", "_groundtruth/instnwnd.sql"},
    {"sql2008r2_northwind", "_groundtruth/instnwnd.sql"},
    {"sql2008_pubs", "sql2008_pubs/instpubs.sql"},
    {"sql2014_pubs", "sql2014_pubs/Pubs.sql"},
};
std::optional<CorpusFile> FindCorpusFile(const std::string& dir);

// A folder under the system's temporary folder, removed with everything in it
// when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);
void WriteWholeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace tessaril::testing

// Skips the current test, saying why, when the corpus folder is absent.
#define TESSARIL_REQUIRE_CORPUS()                                                    \
  do {                                                                               \
    if (!::tessaril::testing::CorpusDir()) {                                         \
      GTEST_SKIP() << "corpus folder not found (set TESSARIL_CORPUS or place it at " \
                      "../shared/corpus beside the checkout)";                       \
    }                                                                                \
  } while (0)
