// Test-only builders of pages and small data files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "storage/page_id.h"

namespace tessaril::testing {

struct PageFields {
  std::uint8_t type = 0;
  std::int32_t objectId = 0;
  std::uint16_t indexId = 0;
  std::uint16_t fileId = 1;
  std::int32_t pageNumber = 0;
};

// An 8192-byte page whose header carries the given fields.
std::vector<std::uint8_t> MakePage(const PageFields& fields);

// Pages numbered by position (pageNumber := position) unless keepNumbers.
std::vector<std::uint8_t> MakeFile(std::vector<PageFields> pages, bool keepNumbers = false);

// A file header page (page 0) whose record holds a binding id of sixteen
// bytes of bindingByte, the file id, filegroup 1 and the size in pages.
std::vector<std::uint8_t> MakeFileHeaderPage(std::uint8_t bindingByte, std::uint16_t fileId,
                                             std::uint32_t sizeInPages);

void SetU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);

}  // namespace tessaril::testing
