#include "testing/test_files.h"

namespace tessaril::testing {

void SetU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

namespace {

void SetU16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
  bytes.at(offset) = static_cast<std::uint8_t>(value);
  bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

std::vector<std::uint8_t> MakePage(const PageFields& fields) {
  std::vector<std::uint8_t> page(kPageSize, 0);
  page[0] = 1;
  page[1] = fields.type;
  SetU16(page, 6, fields.indexId);
  SetU32(page, 24, static_cast<std::uint32_t>(fields.objectId));
  SetU32(page, 32, static_cast<std::uint32_t>(fields.pageNumber));
  SetU16(page, 36, fields.fileId);
  return page;
}

std::vector<std::uint8_t> MakeFile(std::vector<PageFields> pages, bool keepNumbers) {
  std::vector<std::uint8_t> file;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (!keepNumbers) pages[i].pageNumber = static_cast<std::int32_t>(i);
    const std::vector<std::uint8_t> page = MakePage(pages[i]);
    file.insert(file.end(), page.begin(), page.end());
  }
  return file;
}

}  // namespace tessaril::testing
