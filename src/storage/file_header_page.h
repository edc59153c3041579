// The file header page: page 0 of every data file. Its one record names the
// database the file belongs to (the binding id every file of a database
// shares), the file's id and filegroup, and the file's size in pages.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "base/byte_view.h"
#include "storage/page_header.h"
#include "storage/read_only_file.h"

namespace tessaril {

struct FileHeaderPage {
  std::array<std::uint8_t, 16> bindingId{};
  std::uint16_t fileId = 0;
  std::uint16_t filegroupId = 0;
  std::uint32_t sizeInPages = 0;

  bool HasBindingId() const {
    for (const std::uint8_t b : bindingId) {
      if (b != 0) return true;
    }
    return false;
  }
};

// Decodes page 0, torn bits already restored. The record keeps these fields
// as its variable-length columns 0 (binding id), 2 (file id), 3 (filegroup
// id) and 4 (size). Nothing when the page is no file header page or its
// record does not hold the columns at their lengths.
std::optional<FileHeaderPage> DecodeFileHeaderPage(ByteView page);

// Reads page 0 of a file whose pages start at dataOffset, puts its torn bits
// back and decodes it.
std::optional<FileHeaderPage> ReadFileHeaderPage(const ReadOnlyFile& file,
                                                 std::uint64_t dataOffset);

// Whether two files' header pages name the same database: kUnknown when
// either has no binding id to compare.
enum class SameDatabase { kYes, kNo, kUnknown };
SameDatabase CompareBinding(const std::optional<FileHeaderPage>& a,
                            const std::optional<FileHeaderPage>& b);

}  // namespace tessaril
