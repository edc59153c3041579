#include "damage/page_examination.h"

#include <algorithm>
#include <cstdio>

#include "records/lob.h"
#include "records/record_page.h"
#include "records/text_page.h"
#include "storage/page_checksum.h"
#include "storage/page_slots.h"

namespace tessaril {
namespace {

constexpr std::uint8_t kHeaderVersion = 1;
constexpr std::uint16_t kMaxFreeBytes = kPageSize - kPageHeaderSize;

std::string Hex32(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::string ProtectionFault(const ProtectionCheck& check) {
  if (check.protection == PageProtection::kChecksum) {
    return "stored " + Hex32(check.stored) + ", computed " + Hex32(check.computed);
  }
  return "sectors do not all end in the torn pattern " + std::to_string(check.computed);
}

void CheckHeader(const CPage_Header& h, PageExamination& out) {
  const auto fault = [&](std::string text) {
    out.faults.emplace_back(DamageKind::kImpossibleHeader, std::move(text));
  };
  if (h.headerVersion != kHeaderVersion) {
    fault("header version " + std::to_string(h.headerVersion));
  }
  if (std::string_view(PageTypeName(h.pageType)) == "unknown") {
    fault("page type " + std::to_string(h.pageType));
  }
  if (h.slotCount >= kSlotLimit) fault("slot count " + std::to_string(h.slotCount));
  if (h.freeDataOffset > kPageSize || (h.freeDataOffset < kPageHeaderSize && h.slotCount > 0)) {
    fault("free data offset " + std::to_string(h.freeDataOffset));
  }
  if (h.freeByteCount > kMaxFreeBytes) fault("free byte count " + std::to_string(h.freeByteCount));
  if (h.ghostRecordCount > h.slotCount) {
    fault("ghost record count " + std::to_string(h.ghostRecordCount) + " of " +
          std::to_string(h.slotCount) + " slots");
  }
}

void CheckSlots(ByteView page, const CPage_Header& h, PageExamination& out) {
  const SlotArrayCheck check = CheckSlotArray(page, h.slotCount, h.freeDataOffset);
  out.consistentSlots = check.slots.size() - check.badSlots.size();
  const auto fault = [&](std::string text) {
    out.faults.emplace_back(DamageKind::kSlotArray, std::move(text));
  };
  if (check.countCut) {
    fault("slot count " + std::to_string(h.slotCount) + " reaches into the records; " +
          std::to_string(check.slots.size()) + " slots are consistent");
  }
  if (!check.freeDataOffsetTrusted && h.freeDataOffset >= kPageHeaderSize &&
      h.freeDataOffset <= kPageSize) {
    fault("free data offset " + std::to_string(h.freeDataOffset) + " disagrees with the slots");
  }
  if (!check.badSlots.empty()) {
    std::string text = "slot";
    text += check.badSlots.size() == 1 ? " " : "s ";
    for (std::size_t i = 0; i < check.badSlots.size(); ++i) {
      if (i > 0) text += ", ";
      text += std::to_string(check.badSlots[i]);
    }
    fault(text + " outside the records or repeated");
  }
}

// The large-object links of a record's in-row roots (its row-overflow and
// (max) values kept off the row).
void AddLobTargets(const CPrimaryRecord& r, std::vector<RecordId>& out) {
  if (r.isCompressed) return;
  for (const RecordValue& v : r.values) {
    const ByteView bytes = r.ValueBytes(v);
    if (!v.complex || bytes.empty()) continue;
    const std::uint16_t id = ComplexId(bytes);
    if (id != kRowOverflowComplexId && id != kInRowLobRootComplexId) continue;
    for (const LobLink& link : LinksOfInRowRoot(bytes)) out.push_back(link.target);
  }
}

// The links of a text page's nodes and roots to the structures below them.
void CheckTextRecords(std::span<const std::uint8_t, kPageSize> page, PageExamination& out) {
  const TextMixPage text({out.header, std::vector<std::uint8_t>(page.begin(), page.end())},
                         RecordOptions{});
  for (const auto& record : text.records()) {
    if (!record) continue;
    const std::optional<std::vector<LobLink>> links = LinksOfStructure(record->structure());
    for (const LobLink& link : links.value_or(std::vector<LobLink>())) {
      out.lobTargets.push_back(link.target);
    }
  }
}

// Records of a data page that give no row although their slot is sound: they
// run past the free data offset or into another record, cannot be measured,
// or their own offsets disagree. Ghosts are no damage.
void CheckRecords(std::span<const std::uint8_t, kPageSize> page, PageExamination& out) {
  HeaderedPage copy{out.header, std::vector<std::uint8_t>(page.begin(), page.end())};
  const PrimaryRecordPage records(std::move(copy), nullptr, RecordOptions{});
  const SlotArrayCheck slots =
      CheckSlotArray({page.data(), page.size()}, out.header.slotCount, out.header.freeDataOffset);
  std::size_t damaged = 0;
  for (std::size_t i = 0; i < records.records().size(); ++i) {
    const CPrimaryRecord* r = records.records()[i].get();
    const bool rowType =
        r != nullptr && (r->recordType == kPrimaryRecord || r->recordType == kForwardedRecord);
    if (rowType && !r->isInvalid) AddLobTargets(*r, out.lobTargets);
    if (rowType && r->isInvalid &&
        !std::binary_search(slots.badSlots.begin(), slots.badSlots.end(), i)) {
      ++damaged;
    }
  }
  if (damaged > 0) {
    out.faults.emplace_back(DamageKind::kSlotArray,
                            std::to_string(damaged) +
                                " record(s) give no row: they run past the free data offset or "
                                "into another record, or their own offsets disagree");
  }
  out.consistentSlots -= std::min(out.consistentSlots, damaged);
}

}  // namespace

PageExamination ExaminePage(std::span<std::uint8_t, kPageSize> page, PageId where) {
  PageExamination out;
  const ByteView bytes(page.data(), page.size());
  out.zero = std::all_of(page.begin(), page.end(), [](std::uint8_t b) { return b == 0; });
  if (out.zero) return out;
  out.header = CPage_Header::Peek(page);
  if (out.header.pageId != where) {
    out.notAPage = "not a page of this file: its header names page " + ToString(out.header.pageId);
    return out;
  }
  const ProtectionCheck protection = CheckPageProtection(bytes);
  out.checksumProtected = protection.protection == PageProtection::kChecksum;
  out.tornBitProtected = protection.protection == PageProtection::kTornBits;
  if (!protection.intact) {
    out.faults.emplace_back(
        out.checksumProtected ? DamageKind::kChecksumFailed : DamageKind::kTornPage,
        ProtectionFault(protection));
  }
  CheckHeader(out.header, out);
  const bool lostTornFlag =
      protection.protection == PageProtection::kNone && LostTornBitsFlag(page, out.header.tornBits);
  if (lostTornFlag) {
    out.faults.emplace_back(DamageKind::kImpossibleHeader,
                            "flag bits lost the torn-bit flag; the sectors end in torn pattern " +
                                std::to_string(out.header.tornBits & 0x3) +
                                ", so the torn bits were put back");
  }
  if (out.tornBitProtected || lostTornFlag) RestoreTornBits(page, out.header.tornBits);
  CheckSlots(bytes, out.header, out);
  if (out.header.pageType == kDataPageType) CheckRecords(page, out);
  if (out.header.pageType == kTextMixPageType || out.header.pageType == kTextTreePageType) {
    CheckTextRecords(page, out);
  }
  return out;
}

}  // namespace tessaril
