// A decoded record: one row (or one fragment of one) as stored on a page.
//
// A record owns a copy of its bytes; every field below that holds bytes is a
// range inside that copy. Decoding never fails with a message: a record that
// cannot be read stays in its page's list with isInvalid set, and a value that
// fails its checks stays in the value list without data.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/byte_view.h"
#include "storage/page_id.h"

namespace tessaril {

// Record types, bits 1-3 of the first status byte.
enum RecordType : std::int32_t {
  kPrimaryRecord = 0,
  kForwardedRecord = 1,
  kForwardingStub = 2,
  kIndexRecord = 3,
  kBlobFragment = 4,
  kGhostIndexRecord = 5,
  kGhostDataRecord = 6,
  kGhostVersionRecord = 7,
};

// Limits every count and offset read from a record is held to.
inline constexpr int kMaxRecordLength = 8060;
inline constexpr int kMaxColumns = 1024;

// Status A, status B and the end of the fixed part come before a record's
// fixed data.
inline constexpr std::int16_t kRecordHeaderLength = 4;
// A forwarding stub: its status byte, then the page, file and slot it points at.
inline constexpr std::size_t kForwardingStubLength = 9;
// The fixedLength of a forwarding stub whose target cannot be read.
inline constexpr std::int16_t kUnreadableStubTarget = -5;

// Complex-column ids: the first 16-bit word of a complex variable value.
inline constexpr std::uint16_t kRowOverflowComplexId = 2;
inline constexpr std::uint16_t kInRowLobRootComplexId = 4;
inline constexpr std::uint16_t kSparseVectorComplexId = 5;
inline constexpr std::uint16_t kBackPointerComplexId = 0x0400;

// A byte range inside a record's copy.
struct ByteRange {
  std::uint16_t offset = 0;
  std::uint16_t length = 0;
};

// One variable-length value (or one sparse column of a sparse vector).
struct RecordValue {
  std::int32_t id = -1;     // sparse column id; -1 otherwise
  std::int32_t length = 0;  // the stored length, kept when the data is rejected
  bool hasData = false;     // false: rejected or empty
  bool complex = false;     // bit 15 of its end offset was set
  ByteRange data;           // inside the record's bytes (or the sparse vector's value)
};

struct SparseColumnVector {
  std::int16_t count = 0;
  std::vector<RecordValue> values;  // ranges inside the record's bytes
};

// An entry of the long data region of a compressed record.
struct LongDataEntry {
  std::int32_t endOffset = 0;
  bool complex = false;
};

struct CRecord {
  virtual ~CRecord() = default;

  // Where the record was read: its page, slot and offset in the page.
  RecordId id;
  std::uint16_t pageOffset = 0;
  bool carved = false;  // found in free space, no slot pointed to it

  std::int32_t recordType = kPrimaryRecord;
  std::uint8_t statusA = 0;
  std::uint8_t statusB = 0;
  bool isCompressed = false;
  bool hasNullBitmap = false;
  bool hasVariableColumns = false;
  bool hasVersionTag = false;
  bool isGhost = false;
  bool isInvalid = false;

  std::int16_t fixedLength = 0;  // kUnreadableStubTarget: a stub whose target cannot be read
  std::int16_t columnCount = 0;
  std::int16_t variableCount = 0;
  std::int32_t recordLength = 0;
  std::uint16_t maxLength = 0;

  std::vector<std::uint16_t> variableEnds;  // bit 15 cleared
  std::vector<RecordValue> values;
  std::optional<SparseColumnVector> sparseVector;
  // A forwarded record's back pointer (the extra trailing complex column),
  // kept apart from the values.
  std::optional<RecordId> backPointer;
  // A forwarding stub: where the row really is.
  std::optional<RecordId> forwardedTo;

  // Compressed layout.
  std::vector<LongDataEntry> longEntries;

  ByteView bytes() const { return {bytes_.data(), bytes_.size()}; }
  ByteView fixedData() const { return Range(fixed_); }
  ByteView nullBitmap() const { return Range(nullBitmap_); }
  // The record from its first byte to the end of its variable data, when the
  // whole of it could be read.
  ByteView rawRecord() const { return hasRaw_ ? bytes() : ByteView(); }
  ByteView ValueBytes(const RecordValue& value) const {
    return value.hasData ? Range(value.data) : ByteView();
  }
  // True when column i's bit is set in the null bitmap.
  bool IsNull(int column) const;

  // Set by the decoders.
  std::vector<std::uint8_t> bytes_;
  ByteRange fixed_;
  ByteRange nullBitmap_;
  bool hasRaw_ = false;

 private:
  ByteView Range(ByteRange r) const { return bytes().Sub(r.offset, r.length); }
};

struct CompressionInfo;

struct CPrimaryRecord : CRecord {
  // One column-descriptor code per column of a compressed record.
  std::vector<std::uint8_t> cdCodes;
  // A compressed row reached through its forwarding stub: the compression
  // information of the page the row lies on, whose anchor and dictionary its
  // values refer to (the stub's page has its own).
  std::shared_ptr<const CompressionInfo> ownPageCompression;
};

}  // namespace tessaril
