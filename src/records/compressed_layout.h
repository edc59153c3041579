// The compressed (column-descriptor) record layout, as its bytes say. Turning
// such a record into column values needs the table's columns and is done
// where the columns are known.
#pragma once

#include <cstdint>

#include "base/byte_view.h"
#include "records/record.h"
#include "records/record_decoder.h"

namespace tessaril {

// Column-descriptor codes.
enum CdCode : std::uint8_t {
  kCdNull = 0,
  kCdEmpty = 1,
  kCdShortFirst = 2,  // 2..9: a short value of code - 1 bytes
  kCdShortLast = 9,
  kCdLong = 10,
  kCdBitTrue = 11,
  kCdPageSymbol = 12,
};

// Bytes a code takes in the short data region.
int CdShortSize(std::uint8_t code);

// Reads the status byte of a compressed record: bit 0 compressed, bit 1
// versioning information present, bits 2-4 the record type, bit 5 a long data
// region present. There is no null bitmap in this layout. The record type is
// put in the terms of the other layout (primary, forwarded, stub, ghost data,
// index, ghost index; an emptied ghost counts as a ghost version record).
void ApplyCompressedStatus(CRecord& r, std::uint8_t status);

// Decodes rec (at most maxLength bytes) in the compressed layout: column
// count (one byte, or when its top bit is set, 15 bits big-endian over two
// bytes), codes, short data into the fixed data, long data into values.
void DecodeCompressedLayout(CPrimaryRecord& r, ByteView rec, const RecordOptions& options);

// The bytes a compressed record keeps for one column, before the page's
// anchor and dictionary are applied.
struct StoredColumn {
  std::uint8_t code = 0;
  ByteView bytes;                      // short value, long value or symbol byte
  const RecordValue* value = nullptr;  // a long value: its entry in the record
  bool missing = false;                // the code promises bytes the record lacks
};

// Splits a compressed record into one entry per column code: short values
// in code order from the short data, long values in order from the long data.
std::vector<StoredColumn> SplitCompressedRecord(const CPrimaryRecord& r);

}  // namespace tessaril
