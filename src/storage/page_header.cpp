#include "storage/page_header.h"

#include <cstdio>

#include "base/byte_view.h"
#include "storage/page_checksum.h"

namespace tessaril {
namespace {

constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kSectorsPerPage = kPageSize / kSectorSize;

}  // namespace

std::string ToString(PageId id) {
  return std::to_string(id.fileId) + ":" + std::to_string(id.pageNumber);
}

PageId LoadPageId(ByteView bytes, std::size_t offset) {
  if (!bytes.Contains(offset, 6)) return {};
  return {LoadU16(bytes, offset + 4), static_cast<std::int32_t>(LoadU32(bytes, offset))};
}

CPage_Header::CPage_Header(std::span<std::uint8_t> page) {
  Decode(page);
  protectionFailed = !CheckPageProtection(ByteView(page.data(), page.size())).intact;
  tornBitsRecognised =
      (flagBits & (kTornBitsFlag | kPageChecksumFlag)) == 0 && LostTornBitsFlag(page, tornBits);
  if ((flagBits & kTornBitsFlag) != 0 || tornBitsRecognised) {
    RestoreTornBits(page, tornBits);
    tornBitsRestored = true;
  }
}

bool LostTornBitsFlag(std::span<const std::uint8_t> page, std::uint32_t tornBits) {
  const std::uint32_t pattern = tornBits & 0x3;
  return page.size() >= kPageSize && (pattern == 1 || pattern == 2) &&
         TornPatternIntact({page.data(), page.size()}, tornBits);
}

CPage_Header CPage_Header::Peek(std::span<const std::uint8_t> page) {
  CPage_Header header;
  header.Decode(page);
  return header;
}

// Fields are laid out back to back from offset 0; the cursor walks them in order.
void CPage_Header::Decode(std::span<const std::uint8_t> page) {
  ByteCursor c{ByteView(page)};
  headerVersion = c.U8();            // 0
  pageType = c.U8();                 // 1
  typeFlagBits = c.U8();             // 2
  level = c.U8();                    // 3
  flagBits = c.U16();                // 4
  indexId = c.U16();                 // 6
  prevPage.pageNumber = c.I32();     // 8
  prevPage.fileId = c.U16();         // 12
  minRecordLength = c.U16();         // 14
  nextPage.pageNumber = c.I32();     // 16
  nextPage.fileId = c.U16();         // 20
  slotCount = c.U16();               // 22
  objectId = c.I32();                // 24
  freeByteCount = c.U16();           // 28
  freeDataOffset = c.U16();          // 30
  pageId.pageNumber = c.I32();       // 32
  pageId.fileId = c.U16();           // 36
  reservedByteCount = c.U16();       // 38
  lsn.virtualLogFile = c.U32();      // 40
  lsn.blockOffset = c.U32();         // 44
  lsn.slot = c.I16();                // 48
  xactReservedByteCount = c.U16();   // 50
  transactionId.idPart = c.U32();    // 52
  transactionId.filePart = c.I16();  // 56
  ghostRecordCount = c.U16();        // 58
  tornBits = c.U32();                // 60
}

std::string ToString(const LogSequenceNumber& lsn) {
  char text[64];
  std::snprintf(text, sizeof text, "( %d : %d : %d )",
                static_cast<int>(static_cast<std::int32_t>(lsn.virtualLogFile)),
                static_cast<int>(static_cast<std::int32_t>(lsn.blockOffset)),
                static_cast<int>(lsn.slot));
  return text;
}

std::string CPage_Header::LsnText() const { return ToString(lsn); }

std::string CPage_Header::TransactionIdText() const {
  char text[48];
  std::snprintf(text, sizeof text, "( %d : %d )", static_cast<int>(transactionId.filePart),
                static_cast<int>(static_cast<std::int32_t>(transactionId.idPart)));
  return text;
}

const char* PageTypeName(std::uint32_t pageType) {
  switch (pageType) {
    case 0:
      return "unused";
    case 1:
      return "data";
    case 2:
      return "index";
    case 3:
      return "text mix";
    case 4:
      return "text tree";
    case 6:
      return "work file";
    case 7:
      return "sort";
    case 8:
      return "GAM";
    case 9:
      return "SGAM";
    case 10:
      return "IAM";
    case 11:
      return "PFS";
    case 13:
      return "boot";
    case 14:
      return "server configuration";
    case 15:
      return "file header";
    case 16:
      return "differential map";
    case 17:
      return "bulk-logged map";
    case 18:
      return "deallocated by repair";
    case 19:
      return "index build";
    case 20:
      return "bulk load";
    default:
      return "unknown";
  }
}

bool ReadsAsPage(std::span<const std::uint8_t> page) {
  constexpr std::uint16_t kMaxSlots = 4000;
  const CPage_Header h = CPage_Header::Peek(page);
  return page.size() >= kPageHeaderSize && h.headerVersion == 1 && h.pageType != 0 &&
         std::string_view(PageTypeName(h.pageType)) != "unknown" && h.pageId.fileId >= 1 &&
         h.pageId.fileId <= INT16_MAX && h.slotCount < kMaxSlots && h.freeDataOffset <= kPageSize &&
         h.freeByteCount <= kPageSize - kPageHeaderSize;
}

void RestoreTornBits(std::span<std::uint8_t> page, std::uint32_t tornBits) {
  for (std::size_t k = 1; k < kSectorsPerPage; ++k) {
    const std::size_t last = kSectorSize * (k + 1) - 1;
    if (last >= page.size()) break;
    const auto field = static_cast<std::uint8_t>((tornBits >> (2 * k)) & 0x3);
    page[last] = static_cast<std::uint8_t>((page[last] & 0xFC) | field);
  }
}

}  // namespace tessaril
