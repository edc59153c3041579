// A page of records: the slot array decoded into one record per slot, with
// deleted rows brought back when the scan asks for them (ghost records, and
// records carved from the page's free space).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "records/compression_info.h"
#include "records/record.h"
#include "records/record_decoder.h"
#include "storage/database_file.h"

namespace tessaril {

class PrimaryRecordPage {
 public:
  // Decodes every slot. file may be null (forwarding stubs are then not followed).
  PrimaryRecordPage(HeaderedPage page, const DatabaseFile* file, const RecordOptions& options);
  // Decodes one slot only, with none of the page-level rules and without
  // following stubs: the target of a forwarding stub. Its records hold at
  // most one entry, and its compression information is left unread.
  PrimaryRecordPage(HeaderedPage page, const DatabaseFile* file, const RecordOptions& options,
                    int slot);

  PrimaryRecordPage(const PrimaryRecordPage&) = delete;
  PrimaryRecordPage& operator=(const PrimaryRecordPage&) = delete;

  const CPage_Header& header() const { return page_.header; }
  ByteView bytes() const { return {page_.bytes.data(), page_.bytes.size()}; }
  // One entry per slot (carved records after the slots); null where a slot
  // yields no record.
  const std::vector<std::unique_ptr<CPrimaryRecord>>& records() const { return records_; }
  std::unique_ptr<CPrimaryRecord> TakeRecord(std::size_t index);
  // The slot offsets that were decoded: the slot array, then carved offsets.
  const std::vector<std::uint16_t>& slotOffsets() const { return slots_; }
  // How many of the slot offsets were found by carving.
  std::size_t carvedCount() const { return carved_; }
  // Records of slots that disagree with the page: an offset outside the
  // record area or repeated, and on data pages a record running past the
  // free data offset or into another record, or one that cannot be measured.
  // They stay in records() marked invalid; null entries of such slots count
  // too.
  std::size_t damagedRecordCount() const { return damaged_; }
  // True when the header's slot count claimed slots inside the record area
  // and the array was cut at the last slot consistent with the page.
  bool slotCountCut() const { return countCut_; }
  bool passesSanityCheck() const { return sane_; }
  const CompressionInfo& compression() const { return compression_; }

 private:
  PageContext Context() const { return {bytes(), &page_.header, file_}; }
  void ReadSlots();
  void DecodeAllSlots();
  std::unique_ptr<CPrimaryRecord> DecodeSlot(std::size_t index);
  void CheckRecordPlacement();
  void MarkDamaged(std::size_t index);

  HeaderedPage page_;
  const DatabaseFile* file_;
  RecordOptions options_;
  bool followStubs_ = true;  // a stub's target page never follows stubs of its own
  std::vector<std::uint16_t> slots_;
  std::size_t carved_ = 0;
  std::size_t recordAreaEnd_ = kPageSize;
  std::vector<std::size_t> badSlots_;  // from the slot array check, ascending
  std::size_t damaged_ = 0;
  bool countCut_ = false;
  bool sane_ = false;
  CompressionInfo compression_;
  std::vector<std::unique_ptr<CPrimaryRecord>> records_;
};

using CDataPage = PrimaryRecordPage;

// The header check every page of records passes before it is decoded: read
// as signed numbers, a slot count of at most 8192 and no negative page
// address (own, previous, next).
bool PassesSanityCheck(const CPage_Header& header);

// Deleted records that no slot points to: offsets found by chaining record
// lengths from the end of the header and by searching for the first bytes a
// record of this page would start with. Returns the offsets to add.
std::vector<std::uint16_t> CarveRecordOffsets(const PageContext& context,
                                              const std::vector<std::uint16_t>& slots,
                                              const RecordOptions& options);

// The four-byte starts a record of this page can have: status A 0x10, 0x30,
// 0x50 or 0x70 or their ghost forms, status B 0, and the page's fixed-part
// end; plus the common 30 00 84 00 and 3C 00 84 00.
bool IsRecordSignature(ByteView page, std::size_t pos, std::uint16_t fixedEnd);

}  // namespace tessaril
