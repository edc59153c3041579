// Test-only builders of records and pages of records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/database_file.h"

namespace tessaril::testing {

using Bytes = std::vector<std::uint8_t>;

Bytes Hex(const std::string& hex);

// A variable-length value of a FixedVar record.
struct VarValue {
  Bytes bytes;
  bool complex = false;
};

// A FixedVar record: status A, status B 0, fixed-part end, fixed data, column
// count, null bitmap (when status bit 4 is set), variable count and end
// offsets (when status bit 5 is set), variable data.
Bytes FixedVarRecord(std::uint8_t status, const Bytes& fixed, std::uint16_t columnCount,
                     const Bytes& nullBitmap, const std::vector<VarValue>& values);

// A forwarding stub pointing at page:slot of file.
Bytes StubRecord(std::uint16_t file, std::int32_t page, std::uint16_t slot);

// A compressed record: status (bit 5, the long data region, is added when
// there are long values), the column count (one byte, or above 127 two bytes
// with the top bit set, big-endian), the codes two per byte low nibble
// first, a zero byte per 30 columns after the first 30, the short data, then
// the long data region: a flag byte, the count and end offsets of the long
// values (bit 15 complex), the cluster bytes again and the values.
Bytes CompressedRecord(std::uint8_t status, const std::vector<std::uint8_t>& codes,
                       const Bytes& shortData, const std::vector<VarValue>& longValues = {});

// The compression information of a page: flags (anchor, and dictionary when
// entries are given), a modification count, the dictionary offset and the
// size (no offset without a dictionary), then the anchor record and the
// dictionary (entry count, end offsets from the dictionary start, entries).
Bytes CompressionInfoBytes(const Bytes& anchorRecord, const std::vector<Bytes>& dictionary);

struct PageRecord {
  std::uint16_t offset = 0;  // 0: right after the previous record
  Bytes bytes;
};

struct PageLayout {
  std::uint8_t type = 1;
  std::uint8_t level = 0;
  std::uint8_t typeFlagBits = 0;
  std::int32_t objectId = 1977;
  std::uint16_t indexId = 256;
  std::uint16_t fileId = 1;
  std::int32_t pageNumber = 100;
  std::uint16_t minRecordLength = 0;
  std::uint16_t ghostRecordCount = 0;
  std::int32_t slotCount = -1;       // -1: one slot per record
  std::int32_t freeDataOffset = -1;  // -1: the end of the last record written
  PageId prevPage{0, 0};             // the page-chain links; 0:0 for none
  PageId nextPage{0, 0};
  Bytes compressionInfo;  // written after the header (set typeFlagBits 0x80)
};

// A page holding the records (slot i points at record i) and a header.
HeaderedPage MakeRecordPage(const PageLayout& layout, const std::vector<PageRecord>& records,
                            const std::vector<std::uint16_t>& extraSlots = {});

// Large-object structures and the pointers a row keeps to them.
struct LobLinkTo {
  std::uint16_t file = 1;
  std::int32_t page = 0;
  std::uint16_t slot = 0;
  std::uint32_t size = 1;  // root links: size (0 makes an in-row root skip it)
};
// A text page record (status 0x08: blob fragment) holding one structure.
Bytes TextRecordOf(const Bytes& structure);
// A structure: 8-byte blob id, 16-bit type, then the body.
Bytes LobStructure(std::uint16_t type, const Bytes& body);
Bytes LobSmallRoot(const Bytes& data);                   // type 0: length, 4 bytes, data
Bytes LobDataStructure(const Bytes& data);               // type 3
Bytes LobInternal(const std::vector<LobLinkTo>& links);  // type 2, 16-byte links
Bytes LobLargeRoot(const std::vector<LobLinkTo>& links, std::uint16_t type = 5);  // 12-byte links
// An in-row root of complex id kind (2 row overflow, 4 large value).
Bytes InRowLobRoot(std::uint8_t kind, const std::vector<LobLinkTo>& links);
Bytes TextPointer(std::uint16_t file, std::int32_t page, std::uint16_t slot);

// A data file of record pages: page n holds pages[n] and says it is page n.
// Page 0 belongs to the object table (so the file opens); the others to a
// user allocation unit (object 1977, index 256) and have pageType.
Bytes MakeRecordFile(const std::vector<std::vector<PageRecord>>& pages, std::uint8_t pageType = 1);

}  // namespace tessaril::testing
