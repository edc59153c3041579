// Finding deleted records in the free parts of a page.
#include <algorithm>
#include <array>

#include "records/record_page.h"

namespace tessaril {
namespace {

constexpr std::size_t kCarveStart = kPageHeaderSize;
constexpr std::size_t kCarveEnd = kPageSize - 2;  // the slot array starts here at the latest
constexpr std::uint16_t kCommonFixedEnd = 0x84;

// Status A values of a data record with a null bitmap: without and with
// variable columns and a versioning tag; each also in its ghost form.
constexpr std::array<std::uint8_t, 4> kRecordStatuses = {0x10, 0x30, 0x50, 0x70};
constexpr std::uint8_t kGhostDataBits = 0x0C;

}  // namespace

bool IsRecordSignature(ByteView page, std::size_t pos, std::uint16_t fixedEnd) {
  if (!page.Contains(pos, 4) || page.At(pos + 1) != 0) return false;
  const std::uint8_t status = page.At(pos);
  const std::uint16_t end = LoadU16(page, pos + 2);
  const bool knownStatus =
      std::any_of(kRecordStatuses.begin(), kRecordStatuses.end(),
                  [&](std::uint8_t s) { return status == s || status == (s | kGhostDataBits); });
  if (!knownStatus) return false;
  if (end == fixedEnd && fixedEnd >= 4) return true;
  return end == kCommonFixedEnd && (status == 0x30 || status == 0x3C);
}

std::vector<std::uint16_t> CarveRecordOffsets(const PageContext& context,
                                              const std::vector<std::uint16_t>& slots,
                                              const RecordOptions& options) {
  std::vector<std::uint16_t> found;
  const ByteView page = context.page;
  const std::uint16_t fixedEnd = context.header != nullptr ? context.header->minRecordLength : 0;
  const auto isSlot = [&](std::size_t pos) {
    return std::find(slots.begin(), slots.end(), pos) != slots.end();
  };
  std::size_t pos = kCarveStart;
  std::size_t lastSignature = 0;
  while (!options.stopRequested() && pos < kCarveEnd) {
    const std::int32_t length = ProbeRecord(context, pos, options);
    if (length > 0) {
      if (!isSlot(pos)) found.push_back(static_cast<std::uint16_t>(pos));
      const std::size_t next = pos + static_cast<std::size_t>(length);
      pos = next;
      if (next >= kPageSize || IsRecordSignature(page, next, fixedEnd)) continue;
    }
    // Search for the next place a record of this page could start.
    if (pos == lastSignature) ++pos;
    while (pos < kCarveEnd && !options.stopRequested() && !IsRecordSignature(page, pos, fixedEnd)) {
      ++pos;
    }
    lastSignature = pos;
  }
  return found;
}

}  // namespace tessaril
