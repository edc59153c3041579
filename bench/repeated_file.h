// A large data file made by repeating the pages of a small real one, for
// timing passes over the whole of a file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "base/result.h"

namespace tessaril::bench {

class RepeatedFile {
 public:
  // Writes, in a new folder under $TMPDIR (or /tmp), a file of the whole
  // pages of sourcePath repeated until it holds at least minBytes. Each page
  // copied gets its new position as its stored page number, so the file reads
  // as one whose pages all sit where they say they do. Only one chunk of the
  // new file is held in memory at a time.
  static Result<std::unique_ptr<RepeatedFile>> Build(const std::string& sourcePath,
                                                     std::uint64_t minBytes);

  // Removes the file and its folder.
  ~RepeatedFile();
  RepeatedFile(const RepeatedFile&) = delete;
  RepeatedFile& operator=(const RepeatedFile&) = delete;

  const std::string& path() const { return path_; }
  std::uint64_t size() const { return size_; }
  std::uint64_t pageCount() const { return pageCount_; }
  std::uint64_t sourcePageCount() const { return sourcePageCount_; }

 private:
  RepeatedFile(std::filesystem::path folder, std::string path)
      : folder_(std::move(folder)), path_(std::move(path)) {}

  std::filesystem::path folder_;
  std::string path_;
  std::uint64_t size_ = 0;
  std::uint64_t pageCount_ = 0;
  std::uint64_t sourcePageCount_ = 0;
};

}  // namespace tessaril::bench
