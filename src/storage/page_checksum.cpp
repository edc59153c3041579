#include "storage/page_checksum.h"

#include "storage/page_header.h"
#include "storage/page_id.h"

namespace tessaril {
namespace {

constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kSectorCount = kPageSize / kSectorSize;
constexpr std::size_t kProtectionFieldOffset = 60;
constexpr std::size_t kFlagBitsOffset = 4;

std::uint32_t RotateLeft(std::uint32_t value, unsigned bits) {
  bits &= 31U;
  return bits == 0 ? value : (value << bits) | (value >> (32U - bits));
}

}  // namespace

std::uint32_t ComputePageChecksum(ByteView page) {
  std::uint32_t checksum = 0;
  for (std::size_t sector = 0; sector < kSectorCount; ++sector) {
    std::uint32_t sectorWords = 0;
    for (std::size_t word = 0; word < kSectorSize; word += 4) {
      const std::size_t offset = sector * kSectorSize + word;
      if (offset == kProtectionFieldOffset) continue;
      sectorWords ^= LoadU32(page, offset);
    }
    checksum ^= RotateLeft(sectorWords, static_cast<unsigned>(kSectorCount - 1 - sector));
  }
  return checksum;
}

bool TornPatternIntact(ByteView rawPage, std::uint32_t tornBits) {
  const auto pattern = static_cast<std::uint8_t>(tornBits & 0x3);
  for (std::size_t sector = 1; sector < kSectorCount; ++sector) {
    if ((rawPage.At(kSectorSize * (sector + 1) - 1) & 0x3) != pattern) return false;
  }
  return true;
}

ProtectionCheck CheckPageProtection(ByteView rawPage) {
  ProtectionCheck check;
  const std::uint16_t flags = LoadU16(rawPage, kFlagBitsOffset);
  check.stored = LoadU32(rawPage, kProtectionFieldOffset);
  if ((flags & kPageChecksumFlag) != 0) {
    check.protection = PageProtection::kChecksum;
    check.computed = ComputePageChecksum(rawPage);
    check.intact = check.computed == check.stored;
  } else if ((flags & kTornBitsFlag) != 0) {
    check.protection = PageProtection::kTornBits;
    check.computed = check.stored & 0x3;
    check.intact = TornPatternIntact(rawPage, check.stored);
  }
  return check;
}

}  // namespace tessaril
