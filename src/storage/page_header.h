// The 96-byte header that starts every page.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "storage/page_id.h"

namespace tessaril {

// Page types the page store files; the record layer knows more.
inline constexpr std::uint8_t kDataPageType = 1;
inline constexpr std::uint8_t kIndexPageType = 2;
inline constexpr std::uint8_t kIamPageType = 10;
inline constexpr std::uint8_t kBootPageType = 13;
inline constexpr std::uint8_t kFileHeaderPageType = 15;

// A short name for a page type ("data", "IAM", "boot", ...); "unknown" for
// types no file should hold.
const char* PageTypeName(std::uint32_t pageType);

// Header flag bit: the last byte of sectors 1-15 holds torn bits.
inline constexpr std::uint16_t kTornBitsFlag = 0x0100;

struct LogSequenceNumber {
  std::uint32_t virtualLogFile = 0;
  std::uint32_t blockOffset = 0;
  std::int16_t slot = 0;
};
// "( 22 : 311 : 39 )": virtual log file, block offset, slot.
std::string ToString(const LogSequenceNumber& lsn);

struct TransactionId {
  std::uint32_t idPart = 0;
  std::int16_t filePart = 0;
};

class CPage_Header {
 public:
  // Decodes the header at the start of page. When the torn-bits flag is set,
  // or neither flag is and the sector ends show the torn pattern, the torn
  // bits are put back into the last byte of sectors 1-15 of page, which is
  // why the bytes are writable. A page shorter than 8192 bytes is read as far
  // as it goes; missing fields read 0.
  explicit CPage_Header(std::span<std::uint8_t> page);

  // Decodes only the header fields, leaving the bytes untouched.
  static CPage_Header Peek(std::span<const std::uint8_t> page);

  std::uint8_t headerVersion = 0;
  std::uint32_t pageType = 0;
  std::uint8_t typeFlagBits = 0;
  std::uint8_t level = 0;
  std::uint16_t flagBits = 0;
  std::uint16_t indexId = 0;
  PageId prevPage{1, 0};
  std::uint16_t minRecordLength = 0;
  PageId nextPage{1, 0};
  std::uint16_t slotCount = 0;
  std::int32_t objectId = 0;
  std::uint16_t freeByteCount = 0;
  std::uint16_t freeDataOffset = 0;
  PageId pageId;
  std::uint16_t reservedByteCount = 0;
  LogSequenceNumber lsn;
  std::uint16_t xactReservedByteCount = 0;
  TransactionId transactionId;
  std::uint16_t ghostRecordCount = 0;
  std::uint32_t tornBits = 0;
  bool tornBitsRestored = false;
  // Neither protection flag is set, yet sectors 1-15 all end in the torn
  // pattern the field at offset 60 names: a torn-bit page whose flag was
  // damaged. Its torn bits are put back too.
  bool tornBitsRecognised = false;
  // The page as read fails its checksum or its torn-bit check: its bytes
  // are not all as written.
  bool protectionFailed = false;

  // "( 26 : 171 : 15 )": virtual log file, block offset and slot, as signed.
  std::string LsnText() const;
  // "( 0 : 1234 )": file part first, then id part.
  std::string TransactionIdText() const;
  // The allocation unit id the header's object id and index id make.
  std::uint64_t allocationUnitId() const {
    return AllocationUnitId(static_cast<std::uint32_t>(objectId), indexId);
  }

 private:
  CPage_Header() = default;
  void Decode(std::span<const std::uint8_t> page);
};

// True when the bytes have the header of a page: version 1, a page type a
// file holds, a file id and a slot count, free data offset and free byte
// count a page can have. No file without one such page is a data file.
bool ReadsAsPage(std::span<const std::uint8_t> page);

// True when sectors 1-15 of a whole page end in torn pattern 1 or 2, the
// pattern the low bits of tornBits name. On a page with neither protection
// flag set, this is a torn-bit page whose flag was lost.
bool LostTornBitsFlag(std::span<const std::uint8_t> page, std::uint32_t tornBits);

// Puts the torn bits back: for sectors 1 to 15, the low two bits of the
// sector's last byte come from two-bit field k of the torn-bits word.
void RestoreTornBits(std::span<std::uint8_t> page, std::uint32_t tornBits);

}  // namespace tessaril
