#include "records/text_page.h"

#include "storage/page_slots.h"

namespace tessaril {
namespace {

constexpr auto kTextRecordHeaderLength = static_cast<std::size_t>(kRecordHeaderLength);
constexpr std::size_t kDataEndOffset = 2;

bool IsTextPageType(std::uint32_t type) {
  return type == kTextMixPageType || type == kTextTreePageType;
}

// A page whose type byte was damaged is still a text page when its slots
// are sound and every one of them holds a large-object record.
bool HoldsTextRecords(const HeaderedPage& page) {
  const ByteView bytes(page.bytes.data(), page.bytes.size());
  const SlotArrayCheck check = CheckSlotArray(
      bytes, static_cast<std::int16_t>(page.header.slotCount), page.header.freeDataOffset);
  if (check.slots.empty() || check.countCut || !check.badSlots.empty()) return false;
  for (const std::uint16_t offset : check.slots) {
    if (((bytes.At(offset) >> 1) & 0x7) != kBlobFragment) return false;
  }
  return true;
}

// The page at `at` when it is the text page `named`.
std::optional<HeaderedPage> ReadNamedTextPage(const DatabaseFile& db, PageId at, PageId named) {
  std::optional<HeaderedPage> page = db.ReadPage(at);
  if (!page || page->header.pageId != named) return std::nullopt;
  if (!IsTextPageType(page->header.pageType) && !HoldsTextRecords(*page)) return std::nullopt;
  return page;
}

}  // namespace

std::unique_ptr<TextRecord> DecodeTextRecord(ByteView page, std::size_t offset) {
  auto record = std::make_unique<TextRecord>();
  const ByteView rec = page.Sub(offset);
  record->statusA = rec.At(0);
  record->statusB = rec.At(1);
  record->recordType = (record->statusA >> 1) & 0x7;
  record->hasNullBitmap = (record->statusA & 0x10) != 0;
  record->hasVariableColumns = (record->statusA & 0x20) != 0;
  const int dataLength = static_cast<std::int16_t>(LoadU16(rec, kDataEndOffset)) -
                         static_cast<int>(kTextRecordHeaderLength);
  if (dataLength <= 0 ||
      !rec.Contains(kTextRecordHeaderLength, static_cast<std::size_t>(dataLength))) {
    return record;
  }
  const ByteView kept = rec.Sub(0, kTextRecordHeaderLength + static_cast<std::size_t>(dataLength));
  record->bytes_.assign(kept.data(), kept.data() + kept.size());
  record->fixed_ = {static_cast<std::uint16_t>(kTextRecordHeaderLength),
                    static_cast<std::uint16_t>(dataLength)};
  record->pageOffset = static_cast<std::uint16_t>(offset);
  record->structureLength = static_cast<std::int16_t>(dataLength >= kLobStructureHeaderLength
                                                          ? dataLength - kLobStructureHeaderLength
                                                          : dataLength);
  return record;
}

TextMixPage::TextMixPage(HeaderedPage page, const RecordOptions& options) : page_(std::move(page)) {
  const ByteView bytes(page_.bytes.data(), page_.bytes.size());
  const std::vector<std::uint16_t> slots =
      ReadSlotArray(bytes, static_cast<std::int16_t>(page_.header.slotCount));
  records_.reserve(slots.size());
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (options.stopRequested()) break;
    const std::size_t offset = slots[i];
    if (offset < kPageHeaderSize || offset >= kPageSize) {
      records_.push_back(nullptr);
      continue;
    }
    records_.push_back(DecodeTextRecord(bytes, offset));
    records_.back()->id = {page_.header.pageId, static_cast<std::uint16_t>(i)};
  }
}

const TextRecord* TextMixPage::Record(std::size_t slot) const {
  return slot < records_.size() ? records_[slot].get() : nullptr;
}

std::optional<TextMixPage> ReadTextPage(const DatabaseFile& db, PageId id,
                                        const RecordOptions& options) {
  std::optional<HeaderedPage> page = ReadNamedTextPage(db, id, id);
  if (!page) page = ReadNamedTextPage(db, db.TextPageLocation(id), id);
  if (!page) return std::nullopt;
  return TextMixPage(std::move(*page), options);
}

}  // namespace tessaril
