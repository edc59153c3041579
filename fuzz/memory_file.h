// The input of a whole-file fuzz target as an anonymous in-memory file,
// opened by path through /proc.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <span>
#include <string>

namespace tessaril::fuzz {

class MemoryFile {
 public:
  explicit MemoryFile(std::span<const std::uint8_t> bytes)
      : fd_(::memfd_create("tessaril-fuzz", MFD_CLOEXEC)) {
    std::size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) {
        ::close(fd_);
        fd_ = -1;
        break;
      }
      done += static_cast<std::size_t>(n);
    }
  }
  ~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

}  // namespace tessaril::fuzz
