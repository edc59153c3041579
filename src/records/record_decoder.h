// Decoding one record from the bytes of its page.
#pragma once

#include <cstdint>
#include <memory>

#include "base/byte_view.h"
#include "base/stop_flag.h"
#include "records/record.h"
#include "storage/page_header.h"

namespace tessaril {

class DatabaseFile;

// The choices of the scan that decide what a record decoder accepts.
// Whether a decoded record can be a record of the table it is read for; a
// record that cannot is damage. Given by the layer that knows the table.
class RecordFit {
 public:
  virtual ~RecordFit() = default;
  virtual bool Fits(const CRecord& record) const = 0;
};

struct RecordOptions {
  bool showDeletedRecords = false;
  bool showAdvancedDeletedRecords = false;  // carving; only with showDeletedRecords
  bool sql2000Layout = false;
  const StopFlag* stop = nullptr;
  // When set, a data page's records that do not fit are damage: they stay
  // marked invalid and take no part in the placement check.
  const RecordFit* fit = nullptr;

  bool stopRequested() const { return stop != nullptr && stop->requested(); }
};

// The page a record is read from.
struct PageContext {
  ByteView page;  // the whole page, torn bits restored
  const CPage_Header* header = nullptr;
  const DatabaseFile* file = nullptr;  // to follow forwarding stubs; may be null
};

// Decodes the record at offset, reading at most maxLength bytes. A forwarding
// stub is followed one hop when followStubs is set and the page has a file:
// the record then carries the forwarded row's data with recordType 2.
std::unique_ptr<CPrimaryRecord> DecodeRecord(const PageContext& context, std::size_t offset,
                                             std::size_t maxLength, const RecordOptions& options,
                                             bool followStubs = true);

// Decodes bytes in the compressed layout whatever their status byte says and
// without testing the record type (the anchor record of a compressed page).
std::unique_ptr<CPrimaryRecord> DecodeCompressedRecord(const PageContext& context,
                                                       std::size_t offset, std::size_t maxLength,
                                                       const RecordOptions& options);

// The length of a record that could start at offset (read with a limit of
// 8060 bytes), or -1 when nothing acceptable starts there: the page fails its
// check, the type is not accepted, the record is compressed or a stub, or its
// column count is not 1..1023. Used to find deleted records in free space.
std::int32_t ProbeRecord(const PageContext& context, std::size_t offset,
                         const RecordOptions& options);

// Decodes a sparse vector (complex id 5) held in value; the ranges of the
// result are relative to base (the value's offset in its record).
std::optional<SparseColumnVector> DecodeSparseVector(ByteView value, std::uint16_t base,
                                                     const RecordOptions& options);

// The first 16-bit word of a complex value, which names its kind.
std::uint16_t ComplexId(ByteView value);

// Takes a forwarded record's back pointer to its stub out of its values: the
// last value, when it is a complex value of 10 bytes whose first word names
// a back pointer (written 04 00 or 00 04), in either record layout; rec is
// the record's bytes, which the value ranges point into. It is kept apart so
// that it is never read as a column. False when it is absent.
bool TakeBackPointer(CRecord& r, ByteView rec);

}  // namespace tessaril
