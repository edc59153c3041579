#include "storage/file_header_page.h"

#include <algorithm>
#include <vector>

#include "storage/page_header.h"
#include "storage/page_id.h"
#include "storage/page_slots.h"

namespace tessaril {
namespace {

constexpr std::size_t kPageTypeOffset = 1;
constexpr std::size_t kSlotCountOffset = 22;
constexpr std::size_t kFixedEndOffset = 2;
constexpr std::size_t kBindingIdColumn = 0;
constexpr std::size_t kFileIdColumn = 2;
constexpr std::size_t kFilegroupIdColumn = 3;
constexpr std::size_t kSizeColumn = 4;
constexpr std::uint16_t kMaxColumns = 1024;

// The variable-length columns of the record at offset: each a range of the
// page, empty where the stored ends do not fit.
std::vector<ByteView> VariableColumns(ByteView page, std::size_t offset) {
  std::vector<ByteView> columns;
  const ByteView record = page.Sub(offset);
  std::size_t pos = LoadU16(record, kFixedEndOffset);
  const std::uint16_t columnCount = LoadU16(record, pos);
  if (columnCount == 0 || columnCount >= kMaxColumns) return columns;
  pos += 2 + (columnCount + 7u) / 8;
  const std::uint16_t variableCount = LoadU16(record, pos);
  if (variableCount > columnCount) return columns;
  pos += 2;
  std::size_t start = pos + 2u * variableCount;
  for (std::size_t i = 0; i < variableCount; ++i) {
    const std::size_t end = LoadU16(record, pos + 2 * i) & 0x7FFFu;
    if (end < start || !record.Contains(start, end - start)) return columns;
    columns.push_back(record.Sub(start, end - start));
    start = end;
  }
  return columns;
}

}  // namespace

std::optional<FileHeaderPage> DecodeFileHeaderPage(ByteView page) {
  if (page.At(kPageTypeOffset) != kFileHeaderPageType) return std::nullopt;
  const std::vector<std::uint16_t> slots = ReadSlotArray(page, LoadU16(page, kSlotCountOffset));
  if (slots.empty() || slots[0] < kPageHeaderSize) return std::nullopt;
  const std::vector<ByteView> columns = VariableColumns(page, slots[0]);
  if (columns.size() <= kSizeColumn || columns[kBindingIdColumn].size() != 16 ||
      columns[kFileIdColumn].size() != 2 || columns[kFilegroupIdColumn].size() != 2 ||
      columns[kSizeColumn].size() != 4) {
    return std::nullopt;
  }
  FileHeaderPage header;
  std::copy_n(columns[kBindingIdColumn].data(), 16, header.bindingId.begin());
  header.fileId = LoadU16(columns[kFileIdColumn], 0);
  header.filegroupId = LoadU16(columns[kFilegroupIdColumn], 0);
  header.sizeInPages = LoadU32(columns[kSizeColumn], 0);
  return header;
}

std::optional<FileHeaderPage> ReadFileHeaderPage(const ReadOnlyFile& file,
                                                 std::uint64_t dataOffset) {
  std::vector<std::uint8_t> page(kPageSize);
  file.ReadAt(dataOffset, page);
  CPage_Header header(page);  // puts the torn bits back
  return DecodeFileHeaderPage({page.data(), page.size()});
}

SameDatabase CompareBinding(const std::optional<FileHeaderPage>& a,
                            const std::optional<FileHeaderPage>& b) {
  if (!a || !b || !a->HasBindingId() || !b->HasBindingId()) return SameDatabase::kUnknown;
  return a->bindingId == b->bindingId ? SameDatabase::kYes : SameDatabase::kNo;
}

}  // namespace tessaril
