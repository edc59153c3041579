#include "records/record_page.h"

#include "storage/page_slots.h"

namespace tessaril {
namespace {

constexpr std::uint8_t kIndexPageType = 2;
constexpr std::size_t kMaxOffsetOutsideHeader = kPageSize - kPageHeaderSize;  // maxLength cap

}  // namespace

bool PassesSanityCheck(const CPage_Header& h) {
  return static_cast<std::int16_t>(h.slotCount) <= 8192 &&
         static_cast<std::int16_t>(h.ghostRecordCount) >= 0 &&
         static_cast<std::int16_t>(h.freeByteCount) >= 0 &&
         static_cast<std::int16_t>(h.nextPage.fileId) >= 0 && h.nextPage.pageNumber >= 0 &&
         static_cast<std::int16_t>(h.pageId.fileId) >= 0 && h.pageId.pageNumber >= 0 &&
         static_cast<std::int16_t>(h.prevPage.fileId) >= 0 && h.prevPage.pageNumber >= 0;
}

PrimaryRecordPage::PrimaryRecordPage(HeaderedPage page, const DatabaseFile* file,
                                     const RecordOptions& options)
    : page_(std::move(page)), file_(file), options_(options) {
  if (options_.stopRequested()) return;
  slots_ = ReadSlotArray(bytes(), static_cast<std::int16_t>(page_.header.slotCount));
  sane_ = PassesSanityCheck(page_.header);
  compression_ = ReadCompressionInfo(Context(), options_);
  if (sane_ && !slots_.empty() && options_.showDeletedRecords &&
      options_.showAdvancedDeletedRecords) {
    const std::vector<std::uint16_t> carved = CarveRecordOffsets(Context(), slots_, options_);
    slots_.insert(slots_.end(), carved.begin(), carved.end());
    carved_ = carved.size();
  }
  DecodeAllSlots();
}

PrimaryRecordPage::PrimaryRecordPage(HeaderedPage page, const DatabaseFile* file,
                                     const RecordOptions& options, int slot)
    : page_(std::move(page)), file_(file), options_(options), followStubs_(false) {
  slots_ = ReadSlotArray(bytes(), static_cast<std::int16_t>(page_.header.slotCount));
  sane_ = PassesSanityCheck(page_.header);
  if (slots_.empty()) {
    records_.push_back(nullptr);
    return;
  }
  if (slot < 0 || static_cast<std::size_t>(slot) >= slots_.size()) return;
  records_.push_back(DecodeSlot(static_cast<std::size_t>(slot)));
}

void PrimaryRecordPage::DecodeAllSlots() {
  if (!sane_ || slots_.empty()) return;
  const CPage_Header& h = page_.header;
  const bool nonLeafIndex = h.pageType == kIndexPageType && h.level != 0;
  const bool allGhosts = h.ghostRecordCount >= slots_.size() && !options_.showDeletedRecords;
  records_.reserve(slots_.size());
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    records_.push_back(nonLeafIndex || allGhosts ? nullptr : DecodeSlot(i));
  }
}

std::unique_ptr<CPrimaryRecord> PrimaryRecordPage::DecodeSlot(std::size_t index) {
  const std::size_t offset = slots_[index];
  if (offset == 0 || offset >= kPageSize) return nullptr;
  const std::size_t maxLength = kPageSize - offset;
  if (maxLength > kMaxOffsetOutsideHeader) return nullptr;  // inside the header
  std::unique_ptr<CPrimaryRecord> record =
      DecodeRecord(Context(), offset, maxLength, options_, followStubs_);
  record->id = {page_.header.pageId, static_cast<std::uint16_t>(index)};
  record->carved = index >= slots_.size() - carved_;
  return record;
}

std::unique_ptr<CPrimaryRecord> PrimaryRecordPage::TakeRecord(std::size_t index) {
  if (index >= records_.size()) return nullptr;
  return std::move(records_[index]);
}

}  // namespace tessaril
