#include "storage/boot_page_fields.h"

#include <algorithm>

#include "storage/boot_page.h"

namespace tessaril {
namespace {

// Page offsets of the fields: the record starts at 96, after the page
// header, and its own 4-byte header.
constexpr std::size_t kCreateVersionOffset = 102;
constexpr std::size_t kStatusOffset = 132;
constexpr std::size_t kCreateDateOffset = 140;
constexpr std::size_t kDatabaseIdOffset = 408;
constexpr std::size_t kCompatibilityLevelOffset = 410;
constexpr std::size_t kMaxDbTimestampOffset = 412;
constexpr std::size_t kCheckpointLsnOffset = 444;
constexpr std::size_t kDbccFlagsOffset = 454;
constexpr std::size_t kFamilyGuidOffset = 504;
constexpr std::size_t kFirstAllocationUnitsPageOffset = 612;
constexpr std::size_t kNextAllocationUnitIdOffset = 832;

template <std::size_t N>
std::array<std::uint8_t, N> BytesAt(ByteView page, std::size_t offset) {
  std::array<std::uint8_t, N> out{};
  ByteCursor c(page, offset);
  const ByteView bytes = c.Bytes(N);
  if (c.ok()) std::copy(bytes.span().begin(), bytes.span().end(), out.begin());
  return out;
}

}  // namespace

std::optional<BootPageFields> ReadBootPageFields(ByteView page, std::uint16_t formatVersion) {
  if (formatVersion < kFirst2005FormatVersion) return std::nullopt;
  BootPageFields f;
  f.createVersion = LoadU16(page, kCreateVersionOffset);
  f.status = static_cast<std::int32_t>(LoadU32(page, kStatusOffset));
  f.createDate = BytesAt<8>(page, kCreateDateOffset);
  f.databaseId = static_cast<std::int16_t>(LoadU16(page, kDatabaseIdOffset));
  f.compatibilityLevel = static_cast<std::int16_t>(LoadU16(page, kCompatibilityLevelOffset));
  f.maxDbTimestamp = static_cast<std::int64_t>(LoadU64(page, kMaxDbTimestampOffset));
  ByteCursor lsn(page, kCheckpointLsnOffset);
  f.checkpointLsn.virtualLogFile = lsn.U32();
  f.checkpointLsn.blockOffset = lsn.U32();
  f.checkpointLsn.slot = lsn.I16();
  f.dbccFlags = static_cast<std::int16_t>(LoadU16(page, kDbccFlagsOffset));
  f.familyGuid = BytesAt<16>(page, kFamilyGuidOffset);
  ByteCursor first(page, kFirstAllocationUnitsPageOffset);
  f.firstAllocationUnitsPage.pageNumber = first.I32();
  f.firstAllocationUnitsPage.fileId = first.U16();
  f.nextAllocationUnitId = static_cast<std::int64_t>(LoadU64(page, kNextAllocationUnitIdOffset));
  return f;
}

}  // namespace tessaril
