// The two ways a page protects itself against a write that reached the disk
// only in part: a checksum over the whole page (header flag 0x200) or torn
// bits, a two-bit pattern written into the last byte of every sector (flag
// 0x100). Both live in the 32-bit header field at offset 60.
#pragma once

#include <cstdint>

#include "base/byte_view.h"

namespace tessaril {

inline constexpr std::uint16_t kPageChecksumFlag = 0x0200;

// The checksum of an 8192-byte page as stored, with the field at offset 60
// counted as zero: for each 512-byte sector the XOR of its 32-bit words,
// rotated left by 15 minus the sector's index, all XORed together. A page
// shorter than 8192 bytes reads zero where it ends.
std::uint32_t ComputePageChecksum(ByteView page);

enum class PageProtection { kNone, kChecksum, kTornBits };

struct ProtectionCheck {
  PageProtection protection = PageProtection::kNone;
  bool intact = true;          // true when the page carries no protection
  std::uint32_t stored = 0;    // the field at offset 60
  std::uint32_t computed = 0;  // the checksum, or the pattern sectors 1-15 should end with
};

// Checks a page as read from disk, before its torn bits are put back: the
// checksum when flag 0x200 is set, otherwise the torn pattern when flag
// 0x100 is set (the low two bits of the last byte of sectors 1 to 15 all
// equal the low two bits of the field at offset 60).
ProtectionCheck CheckPageProtection(ByteView rawPage);

// True when sectors 1 to 15 of rawPage all end in the torn pattern the
// low two bits of tornBits name.
bool TornPatternIntact(ByteView rawPage, std::uint32_t tornBits);

}  // namespace tessaril
