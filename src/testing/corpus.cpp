#include "testing/corpus.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace tessaril::testing {

namespace fs = std::filesystem;

std::optional<fs::path> CorpusDir() {
  const char* env = std::getenv("TESSARIL_CORPUS");
  if (env != nullptr && *env != '\0') {
    std::error_code ec;
    if (fs::is_directory(env, ec)) return fs::path(env);
    return std::nullopt;
  }
  std::error_code ec;
  if (fs::is_directory(TESSARIL_DEFAULT_CORPUS, ec)) return fs::path(TESSARIL_DEFAULT_CORPUS);
  return std::nullopt;
}

std::vector<CorpusFile> CorpusFiles() {
  std::vector<CorpusFile> files;
  const auto dir = CorpusDir();
  if (!dir) return files;
  std::ifstream manifest(*dir / "MANIFEST.tsv");
  std::string line;
  std::getline(manifest, line);  // column names
  while (std::getline(manifest, line)) {
    std::vector<std::string> fields;
    std::stringstream row(line);
    for (std::string field; std::getline(row, field, '\t');) fields.push_back(field);
    if (fields.size() < 7) continue;
    CorpusFile f;
    f.dir = fields[0];
    f.file = fields[1];
    f.bytes = std::stoull(fields[2]);
    f.formatVersion = std::stoi(fields[4]);
    f.versionName = fields[5];
    f.dbName = fields[6];
    f.path = *dir / f.dir / f.file;
    files.push_back(std::move(f));
  }
  return files;
}

std::optional<CorpusFile> FindCorpusFile(const std::string& dir) {
  for (CorpusFile& f : CorpusFiles()) {
    if (f.dir == dir) return f;
  }
  return std::nullopt;
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "tessaril-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteWholeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tessaril::testing
