#include "storage/page_checksum.h"

#include <bit>
#include <cstring>

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

// The XOR of a whole sector's 32-bit words, eight bytes at a time: the two
// halves of the 64-bit XOR are the XORs of the even and the odd words.
std::uint32_t SectorWords(const std::uint8_t* sector) {
  std::uint64_t words = 0;
  for (std::size_t at = 0; at < kSectorSize; at += sizeof words) {
    std::uint64_t pair;
    std::memcpy(&pair, sector + at, sizeof pair);
    words ^= pair;
  }
  return static_cast<std::uint32_t>(words) ^ static_cast<std::uint32_t>(words >> 32);
}

// Word by word through the view: a page cut short reads zero where it ends.
std::uint32_t SectorWords(ByteView page, std::size_t sector) {
  std::uint32_t words = 0;
  for (std::size_t word = 0; word < kSectorSize; word += 4) {
    words ^= LoadU32(page, sector * kSectorSize + word);
  }
  return words;
}

}  // namespace

std::uint32_t ComputePageChecksum(ByteView page) {
  // The inventory pass checks every page: a whole page on a little-endian
  // machine is read in place.
  const bool inPlace = std::endian::native == std::endian::little && page.size() >= kPageSize;
  std::uint32_t checksum = 0;
  for (std::size_t sector = 0; sector < kSectorCount; ++sector) {
    std::uint32_t words =
        inPlace ? SectorWords(page.data() + sector * kSectorSize) : SectorWords(page, sector);
    // The field that holds the checksum counts as zero.
    if (sector == 0) words ^= LoadU32(page, kProtectionFieldOffset);
    checksum ^= RotateLeft(words, static_cast<unsigned>(kSectorCount - 1 - sector));
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
