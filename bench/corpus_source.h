// The corpus file a benchmark builds its data from: $TESSARIL_CORPUS, else
// the folder configured at build time.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tessaril::bench {

// The file's path; error is set (and the path still returned) when it is missing.
inline std::string CorpusSource(const char* relativePath, std::string& error) {
  const char* env = std::getenv("TESSARIL_CORPUS");
  const std::string dir = env != nullptr && *env != '\0' ? env : TESSARIL_DEFAULT_CORPUS;
  const std::string path = dir + "/" + relativePath;
  if (!std::filesystem::is_regular_file(path)) {
    error = "corpus file " + path +
            " not found; set TESSARIL_CORPUS to the corpus folder to run this benchmark";
  }
  return path;
}

}  // namespace tessaril::bench
