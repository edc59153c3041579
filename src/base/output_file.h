// Files the program writes. None may be a file it reads: a data file of the
// scan, or any data or log file beside one (they may be evidence). A new
// file is written under a temporary name beside its target and renamed into
// place when complete, so a failed or stopped write never truncates the file
// that was there.
#pragma once

#include <string>
#include <vector>

#include "base/result.h"

namespace tessaril {

// The files no output may replace.
class ProtectedFiles {
 public:
  // Protects path and every .mdf, .ndf and .ldf file in its folder (any case).
  void AddDataFile(const std::string& path);
  // Fails, naming the file, when target is one of them: the same file
  // (device and inode: hard and symbolic links included) or the same path
  // once links are resolved.
  Status Check(const std::string& target) const;
  bool empty() const { return paths_.empty(); }

 private:
  std::vector<std::string> paths_;
};

class OutputFile {
 public:
  // Checks target against the protected files and names a temporary file
  // beside it ("target.partial-PID-RANDOM"), created empty.
  static Result<OutputFile> Begin(const std::string& target, const ProtectedFiles& protectedFiles);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  OutputFile(const OutputFile&) = delete;
  ~OutputFile();  // removes the temporary file unless committed

  // Where the writer writes.
  const std::string& temporaryPath() const { return temporary_; }
  const std::string& target() const { return target_; }
  // Renames the temporary file onto the target. On failure the temporary
  // file is removed and the target left as it was.
  Status Commit();

 private:
  OutputFile(std::string target, std::string temporary)
      : target_(std::move(target)), temporary_(std::move(temporary)) {}
  std::string target_;
  std::string temporary_;
  bool done_ = false;
};

// Writes bytes to target through an OutputFile.
Status WriteOutputFile(const std::string& target, const ProtectedFiles& protectedFiles,
                       const void* data, std::size_t size);

}  // namespace tessaril
