// A data file opened for reading only, read with positioned reads so that
// readers never share a file position.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/result.h"

namespace tessaril {

inline constexpr const char* kFileCannotOpenText = "File cannot be open...........";

class ReadOnlyFile {
 public:
  // Opens a regular file or a block device. Directories and anything that
  // cannot be opened for reading fail with the system's reason.
  static Result<ReadOnlyFile> Open(const std::string& path);

  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  std::uint64_t size() const { return size_; }
  const std::string& path() const { return path_; }

  // Reads out.size() bytes at offset. Whatever cannot be read (end of file,
  // an I/O error) is left zero in out. Returns the number of bytes read.
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;

  // Where the next stored data at or after offset begins, as the system
  // keeps a sparse file: offset itself when data is there, the file's size
  // when only a hole follows. Nothing when the system cannot say.
  std::optional<std::uint64_t> NextDataOffset(std::uint64_t offset) const;

  // Tells the system the file will be read front to back.
  void AdviseSequential() const;

 private:
  ReadOnlyFile(int fd, std::uint64_t size, std::string path)
      : fd_(fd), size_(size), path_(std::move(path)) {}
  void Close();

  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::string path_;
};

}  // namespace tessaril
