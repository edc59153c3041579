// A large data file made by repeating the pages of a small real one, for
// timing passes over the whole of a file or over a table grown far past its
// real size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "testing/grown_file.h"

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
  // Writes, the same way, the pages of sourcePath laid out and linked as
  // grown says: the whole source once, then the copies of the chains it
  // grows, each linked into its table's page chain. A copy keeps the
  // allocation unit its header names, so both the page inventory and the
  // chain walk find it: a table grown this way holds its rows once more per
  // copy.
  static Result<std::unique_ptr<RepeatedFile>> BuildGrown(const std::string& sourcePath,
                                                          const testing::GrownFile& grown);

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

  // Writes pageCount pages of source (a whole file's pages); the page at each
  // position is the source page sourcePageAt(position), then patched by
  // patch(position, page), which at least stores its position as its number.
  static Result<std::unique_ptr<RepeatedFile>> Write(
      const std::vector<std::uint8_t>& source, std::uint64_t pageCount,
      const std::function<std::uint64_t(std::uint64_t)>& sourcePageAt,
      const std::function<void(std::uint64_t, std::span<std::uint8_t>)>& patch);

  std::filesystem::path folder_;
  std::string path_;
  std::uint64_t size_ = 0;
  std::uint64_t pageCount_ = 0;
  std::uint64_t sourcePageCount_ = 0;
};

}  // namespace tessaril::bench
