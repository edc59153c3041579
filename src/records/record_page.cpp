#include "records/record_page.h"

#include <algorithm>

#include "storage/page_slots.h"

namespace tessaril {
namespace {

constexpr std::size_t kMaxOffsetOutsideHeader = kPageSize - kPageHeaderSize;  // maxLength cap
constexpr std::size_t kStubLength = 9;

// How many bytes of the page a decoded record occupies: a stub its nine
// bytes (whatever the forwarded row it took over holds), any other record the
// length its decoder found; 0 when that is not known.
std::size_t StoredLength(const CPrimaryRecord& r) {
  if (r.recordType == kForwardingStub) return kStubLength;
  return r.recordLength > 0 ? static_cast<std::size_t>(r.recordLength) : 0;
}

}  // namespace

// The ghost and free byte counts are not held to it: no record is read by
// them, and a damaged count would otherwise hide every row of the page.
bool PassesSanityCheck(const CPage_Header& h) {
  constexpr std::int16_t kMaxSlotCount = 8192;  // what a page header may claim at all
  return static_cast<std::int16_t>(h.slotCount) <= kMaxSlotCount &&
         static_cast<std::int16_t>(h.nextPage.fileId) >= 0 && h.nextPage.pageNumber >= 0 &&
         static_cast<std::int16_t>(h.pageId.fileId) >= 0 && h.pageId.pageNumber >= 0 &&
         static_cast<std::int16_t>(h.prevPage.fileId) >= 0 && h.prevPage.pageNumber >= 0;
}

PrimaryRecordPage::PrimaryRecordPage(HeaderedPage page, const DatabaseFile* file,
                                     const RecordOptions& options)
    : page_(std::move(page)), file_(file), options_(options) {
  if (options_.stopRequested()) return;
  ReadSlots();
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
  ReadSlots();
  if (slots_.empty()) {
    records_.push_back(nullptr);
    return;
  }
  if (slot < 0 || static_cast<std::size_t>(slot) >= slots_.size()) return;
  const auto index = static_cast<std::size_t>(slot);
  records_.push_back(DecodeSlot(index));
  if (std::binary_search(badSlots_.begin(), badSlots_.end(), index) && records_.back()) {
    records_.back()->isInvalid = true;
  }
}

void PrimaryRecordPage::ReadSlots() {
  const SlotArrayCheck check = CheckSlotArray(
      bytes(), static_cast<std::int16_t>(page_.header.slotCount), page_.header.freeDataOffset);
  slots_ = check.slots;
  recordAreaEnd_ = check.recordAreaEnd;
  badSlots_ = check.badSlots;
  countCut_ = check.countCut;
  sane_ = PassesSanityCheck(page_.header);
}

void PrimaryRecordPage::DecodeAllSlots() {
  if (!sane_ || slots_.empty()) return;
  const CPage_Header& h = page_.header;
  const bool nonLeafIndex = h.pageType == kIndexPageType && h.level != 0;
  // Every slot a ghost: only a count equal to the slot count is believed, as
  // a larger one is damage and the records say what they are anyway.
  const bool allGhosts = h.ghostRecordCount == slots_.size() && !options_.showDeletedRecords;
  records_.reserve(slots_.size());
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    records_.push_back(nonLeafIndex || allGhosts ? nullptr : DecodeSlot(i));
  }
  // Rows come from data pages; the records of allocation, boot and header
  // pages have layouts of their own that no decoder measures.
  if (h.pageType == kDataPageType && !allGhosts) CheckRecordPlacement();
}

void PrimaryRecordPage::MarkDamaged(std::size_t index) {
  ++damaged_;
  if (records_[index]) records_[index]->isInvalid = true;
}

// Records lie side by side between the header and the free data offset. A
// slot whose offset is outside that area or repeated, or whose record runs
// past it, starts inside a record that starts before it or cannot be
// measured, is damage: its record stays, marked invalid. When the slot count
// was cut, the first such slot ends the array. A record the options' fit
// refuses is damage too, and its length is not held against the others.
// Carved records are not held to this.
void PrimaryRecordPage::CheckRecordPlacement() {
  const std::size_t live = slots_.size() - carved_;
  std::vector<bool> damaged(live, false);
  for (const std::size_t i : badSlots_) {
    if (i < live) damaged[i] = true;
  }
  struct Placed {
    std::size_t start;
    std::size_t end;
    std::size_t index;
  };
  std::vector<Placed> placed;
  // Records their decoder refused or that cannot be the table's: their
  // measured length says nothing of where the next record starts.
  std::vector<bool> misfits(live, false);
  for (std::size_t i = 0; i < live; ++i) {
    const CPrimaryRecord* r = records_[i].get();
    if (damaged[i] || r == nullptr) continue;
    const bool refused = r->isInvalid && StoredLength(*r) != 0;
    if (refused || (options_.fit != nullptr && !r->isInvalid && !options_.fit->Fits(*r))) {
      misfits[i] = true;
      continue;
    }
    const std::size_t length = StoredLength(*r);
    const std::size_t start = slots_[i];
    if (length == 0 || start + length > recordAreaEnd_) {
      // A record its decoder could not measure cannot be shown to fit;
      // one its decoder refused already is no row.
      damaged[i] = length != 0 || !r->isInvalid;
      continue;
    }
    placed.push_back({start, start + length, i});
  }
  std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
    return a.start != b.start ? a.start < b.start : a.index < b.index;
  });
  std::size_t end = 0;
  for (const Placed& p : placed) {
    if (p.start < end) {
      damaged[p.index] = true;
      continue;
    }
    end = p.end;
  }
  std::size_t kept = live;
  for (std::size_t i = 0; i < live; ++i) {
    if (!damaged[i]) continue;
    if (countCut_) {
      // The records past the last consistent slot were never slots.
      records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(i),
                     records_.begin() + static_cast<std::ptrdiff_t>(live));
      slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(i),
                   slots_.begin() + static_cast<std::ptrdiff_t>(live));
      kept = i;
      break;
    }
    MarkDamaged(i);
  }
  for (std::size_t i = 0; i < kept; ++i) {
    if (misfits[i] && !damaged[i]) MarkDamaged(i);
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
