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

std::vector<std::uint8_t> MakeFileHeaderPage(std::uint8_t bindingByte, std::uint16_t fileId,
                                             std::uint32_t sizeInPages) {
  std::vector<std::uint8_t> page = MakePage({15, 99, 0, fileId, 0});
  constexpr std::size_t kRecord = 96;
  constexpr std::uint16_t kColumns = 5;
  SetU16(page, 22, 1);                   // one slot
  SetU16(page, kPageSize - 2, kRecord);  // slot 0
  page[kRecord] = 0x30;                  // null bitmap and variable columns
  SetU16(page, kRecord + 2, 8);          // fixed part ends after four bytes
  SetU16(page, kRecord + 8, kColumns);   // column count, then a one-byte bitmap
  SetU16(page, kRecord + 11, kColumns);  // variable column count
  const std::size_t lengths[kColumns] = {16, 0, 2, 2, 4};
  std::size_t end = 13 + 2 * kColumns;  // variable data starts here, from the record's start
  for (std::size_t i = 0; i < kColumns; ++i) {
    end += lengths[i];
    SetU16(page, kRecord + 13 + 2 * i, static_cast<std::uint16_t>(end));
  }
  std::size_t pos = kRecord + 13 + 2 * kColumns;
  for (std::size_t i = 0; i < 16; ++i) page[pos++] = bindingByte;
  SetU16(page, pos, fileId);
  SetU16(page, pos + 2, 1);
  SetU32(page, pos + 4, sizeInPages);
  SetU16(page, 30, static_cast<std::uint16_t>(pos + 8));  // free data offset
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
