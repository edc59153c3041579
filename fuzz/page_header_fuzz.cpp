// Fuzz target for the page header decoder. The input is the start of a page:
// it is decoded once inside a whole zero-filled page and once as exactly the
// bytes given, shorter or longer than a page.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "storage/page_checksum.h"
#include "storage/page_header.h"

namespace {

using tessaril::CPage_Header;

constexpr std::size_t kSectorSize = 512;

// The bits the torn-bits restore may change at byte index i: the low two bits
// of the last byte of sectors 1 to 15; nothing else, and nothing of sector 0
// where the header lies.
std::uint8_t RestorableBits(std::size_t i) {
  const bool sectorEnd = i % kSectorSize == kSectorSize - 1;
  return sectorEnd && i >= 2 * kSectorSize - 1 && i < tessaril::kPageSize ? 0x03 : 0x00;
}

void DecodeAndCheck(std::span<std::uint8_t> page) {
  const std::vector<std::uint8_t> before(page.begin(), page.end());
  const CPage_Header header(page);
  const CPage_Header peeked = CPage_Header::Peek(before);

  // Decoding reads the same fields whether or not the bits are put back.
  if (header.pageType != peeked.pageType || header.flagBits != peeked.flagBits ||
      header.pageId != peeked.pageId || header.objectId != peeked.objectId ||
      header.tornBits != peeked.tornBits || header.slotCount != peeked.slotCount) {
    std::abort();
  }
  // The bits are put back when the flag says so, or when a page without
  // either protection flag ends every sector in the torn pattern (its flag
  // was lost).
  const bool tornFlag = (header.flagBits & tessaril::kTornBitsFlag) != 0;
  if (header.tornBitsRestored != (tornFlag || header.tornBitsRecognised)) std::abort();
  if (header.tornBitsRecognised &&
      (header.flagBits & (tessaril::kTornBitsFlag | tessaril::kPageChecksumFlag)) != 0) {
    std::abort();
  }
  for (std::size_t i = 0; i < page.size(); ++i) {
    const std::uint8_t fixed =
        header.tornBitsRestored ? static_cast<std::uint8_t>(~RestorableBits(i)) : 0xFF;
    if ((page[i] & fixed) != (before[i] & fixed)) std::abort();
  }

  const std::string lsn = header.LsnText();
  const std::string transaction = header.TransactionIdText();
  const std::string typeName = tessaril::PageTypeName(header.pageType);
  if (lsn.empty() || transaction.empty() || typeName.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);

  std::vector<std::uint8_t> page(tessaril::kPageSize, 0);
  std::copy_n(input.begin(), std::min(input.size(), page.size()), page.begin());
  DecodeAndCheck(page);

  std::vector<std::uint8_t> exact(input.begin(), input.end());
  DecodeAndCheck(exact);
  return 0;
}
