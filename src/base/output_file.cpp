#include "base/output_file.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace tessaril {
namespace {

namespace fs = std::filesystem;

bool IsDataOrLogFile(const fs::path& path) {
  const std::string ext = path.extension().string();
  for (const char* known : {".mdf", ".ndf", ".ldf"}) {
    if (strcasecmp(ext.c_str(), known) == 0) return true;
  }
  return false;
}

std::string Resolved(const std::string& path) {
  std::error_code ec;
  const fs::path resolved = fs::weakly_canonical(fs::absolute(path, ec), ec);
  return ec ? path : resolved.string();
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) {
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  }
  return Resolved(a) == Resolved(b);
}

}  // namespace

void ProtectedFiles::AddDataFile(const std::string& path) {
  paths_.push_back(path);
  std::error_code ec;
  const fs::path folder = fs::absolute(path, ec).parent_path();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (IsDataOrLogFile(it->path())) paths_.push_back(it->path().string());
  }
}

Status ProtectedFiles::Check(const std::string& target) const {
  for (const std::string& path : paths_) {
    if (SameFile(target, path)) {
      return Error{"refusing to write " + target + ": it is " + path +
                   ", a data or log file of the database being read"};
    }
  }
  return {};
}

Result<OutputFile> OutputFile::Begin(const std::string& target,
                                     const ProtectedFiles& protectedFiles) {
  if (Status allowed = protectedFiles.Check(target); !allowed) return allowed.failure();
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".partial-%d-%08x", static_cast<int>(::getpid()),
                  static_cast<unsigned>(random()));
    const std::string temporary = target + suffix;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return OutputFile(target, temporary);
    }
    if (errno != EEXIST) return Error{"cannot write " + target, std::strerror(errno)};
  }
  return Error{"cannot write " + target, "no free temporary name beside it"};
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      done_(other.done_) {
  other.done_ = true;
}

OutputFile::~OutputFile() {
  if (!done_) std::remove(temporary_.c_str());
}

Status OutputFile::Commit() {
  done_ = true;
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(temporary_.c_str());
    return Error{"cannot write " + target_, reason};
  }
  return {};
}

Status WriteOutputFile(const std::string& target, const ProtectedFiles& protectedFiles,
                       const void* data, std::size_t size) {
  Result<OutputFile> out = OutputFile::Begin(target, protectedFiles);
  if (!out) return out.failure();
  std::FILE* file = std::fopen(out->temporaryPath().c_str(), "wb");
  if (file == nullptr) return Error{"cannot write " + target, std::strerror(errno)};
  const bool written = std::fwrite(data, 1, size, file) == size;
  const int error = errno;
  if (std::fclose(file) != 0 || !written) {
    return Error{"cannot write " + target, std::strerror(written ? errno : error)};
  }
  return out->Commit();
}

}  // namespace tessaril
