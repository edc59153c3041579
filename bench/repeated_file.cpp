#include "bench/repeated_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "storage/page_id.h"
#include "storage/read_only_file.h"

namespace tessaril::bench {
namespace {

// Where a page header stores the page's own number (32-bit, little-endian).
constexpr std::size_t kStoredPageNumberOffset = 32;
// Pages written per write call: 8 MiB.
constexpr std::uint64_t kChunkPages = 1024;

void StorePageNumber(std::span<std::uint8_t> page, std::uint32_t number) {
  if (page.size() < kStoredPageNumberOffset + 4) return;
  for (std::size_t i = 0; i < 4; ++i) {
    page[kStoredPageNumberOffset + i] = static_cast<std::uint8_t>(number >> (8 * i));
  }
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The whole pages of a file, in one buffer.
Result<std::vector<std::uint8_t>> ReadWholePages(const std::string& path) {
  Result<ReadOnlyFile> source = ReadOnlyFile::Open(path);
  if (!source) return Error{"cannot open " + path, source.failure().detail};
  const std::uint64_t pageCount = source->size() / kPageSize;
  if (pageCount == 0) return Error{path + " holds no whole page"};
  std::vector<std::uint8_t> pages(static_cast<std::size_t>(pageCount * kPageSize));
  if (source->ReadAt(0, pages) != pages.size()) return Error{"cannot read " + path};
  return pages;
}

std::string TempRoot() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

}  // namespace

Result<std::unique_ptr<RepeatedFile>> RepeatedFile::Build(const std::string& sourcePath,
                                                          std::uint64_t minBytes) {
  Result<std::vector<std::uint8_t>> source = ReadWholePages(sourcePath);
  if (!source) return source.failure();
  const std::uint64_t sourcePages = source->size() / kPageSize;
  return Write(
      *source, (minBytes + kPageSize - 1) / kPageSize,
      [sourcePages](std::uint64_t position) { return position % sourcePages; },
      [](std::uint64_t position, std::span<std::uint8_t> page) {
        StorePageNumber(page, static_cast<std::uint32_t>(position));
      });
}

Result<std::unique_ptr<RepeatedFile>> RepeatedFile::BuildGrown(const std::string& sourcePath,
                                                               const testing::GrownFile& grown) {
  Result<std::vector<std::uint8_t>> source = ReadWholePages(sourcePath);
  if (!source) return source.failure();
  const std::uint64_t sourcePages = source->size() / kPageSize;
  for (std::uint64_t position = 0; position < grown.pageCount(); ++position) {
    if (grown.SourcePageAt(position) >= sourcePages) {
      return Error{"a grown chain names a page past the end of " + sourcePath};
    }
  }
  return Write(
      *source, grown.pageCount(),
      [&grown](std::uint64_t position) { return grown.SourcePageAt(position); },
      [&grown](std::uint64_t position, std::span<std::uint8_t> page) {
        grown.Patch(position, page);
      });
}

Result<std::unique_ptr<RepeatedFile>> RepeatedFile::Write(
    const std::vector<std::uint8_t>& source, std::uint64_t pageCount,
    const std::function<std::uint64_t(std::uint64_t)>& sourcePageAt,
    const std::function<void(std::uint64_t, std::span<std::uint8_t>)>& patch) {
  std::string folderTemplate = TempRoot() + "/tessaril-bench-XXXXXX";
  if (::mkdtemp(folderTemplate.data()) == nullptr) {
    return Error{"cannot make a folder under " + TempRoot(), std::strerror(errno)};
  }
  // From here on the folder goes with the object, whatever happens.
  std::unique_ptr<RepeatedFile> file(
      new RepeatedFile(folderTemplate, folderTemplate + "/repeated.mdf"));
  file->sourcePageCount_ = source.size() / kPageSize;
  file->pageCount_ = pageCount;
  if (file->pageCount_ > UINT32_MAX) return Error{"the file asked for is too large"};

  const int fd = ::open(file->path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return Error{"cannot create " + file->path_, std::strerror(errno)};
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(kChunkPages * kPageSize));
  bool written = true;
  for (std::uint64_t first = 0; written && first < file->pageCount_; first += kChunkPages) {
    const std::uint64_t count = std::min(kChunkPages, file->pageCount_ - first);
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint64_t position = first + i;
      const auto from = static_cast<std::ptrdiff_t>(sourcePageAt(position) * kPageSize);
      const auto to = static_cast<std::ptrdiff_t>(i * kPageSize);
      std::copy(source.begin() + from, source.begin() + from + kPageSize, chunk.begin() + to);
      patch(position, std::span(chunk).subspan(static_cast<std::size_t>(to), kPageSize));
    }
    written = WriteAll(fd, std::span(chunk).first(static_cast<std::size_t>(count * kPageSize)));
  }
  const int writeErrno = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) return Error{"cannot write " + file->path_, std::strerror(writeErrno)};
  file->size_ = file->pageCount_ * kPageSize;
  return file;
}

RepeatedFile::~RepeatedFile() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace tessaril::bench
