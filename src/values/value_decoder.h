// Turning the stored bytes of one column value into its text.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "base/byte_view.h"
#include "base/code_page.h"
#include "catalog/table_layout.h"
#include "values/collation_lookup.h"
#include "values/collation_table.h"

namespace tessaril {

// How one value lies in a record and how it is read.
struct ValueLayout {
  bool variable = false;
  std::int16_t fixedWidth = 0;  // bytes taken in the fixed part; 0 none
  std::int16_t width = 0;
  std::int32_t typeCode = 0;
};

// What 8-bit text is decoded with: the column's collation, else the
// database's, else code page 1252. Decoders are made once per code page.
class TextDecoding {
 public:
  TextDecoding(const CollationTable* collations, CollationResult database);
  // A copy decodes as the original does, with code page decoders of its own,
  // so that copies can decode on different threads.
  TextDecoding(const TextDecoding& other)
      : collations_(other.collations_), database_(other.database_) {}
  TextDecoding& operator=(const TextDecoding&) = delete;
  TextDecoding(TextDecoding&&) = default;
  TextDecoding& operator=(TextDecoding&&) = default;
  // The code page of a column collation id.
  std::uint32_t CodePageOf(std::int32_t collationId) const;
  std::string Decode(ByteView bytes, std::uint32_t codePage);

 private:
  const CollationTable* collations_;
  CollationResult database_;
  std::map<std::uint32_t, std::unique_ptr<CodePageDecoder>> decoders_;
};

// How a column's values lie in a record. Every reader (the record walk,
// sparse vectors, compressed records) takes widths from here: decimal and
// numeric by precision (5, 9, 13 or 17 bytes), time, datetime2 and
// datetimeoffset by scale, uniqueidentifier 16 bytes in the fixed part.
ValueLayout DescribeValue(const ColumnDef& column);

// The text of a value. bytes are the value's stored bytes (the caller has
// cut them to the value's width or length); no bytes give the empty text.
std::string DecodeValue(const ValueLayout& layout, ByteView bytes, const ColumnDef& column,
                        TextDecoding& text);

// The text of a sql_variant value: its base type id, its properties and data.
std::string DecodeVariantValue(ByteView bytes, TextDecoding& text);

// "0x" and every byte as two upper-case hex digits.
std::string BinaryText(ByteView bytes);
// varbinary and image values decode to their hex digits alone, and the row
// renderers put the "0x" in front; binary, timestamp and the CLR types
// (hierarchyid, geometry, geography) decode with it.
bool TakesBinaryPrefix(std::int32_t typeCode);
// 33221100-5544-7766-8899-AABBCCDDEEFF from the 16 stored bytes 00 11 .. FF.
std::string UniqueIdentifierText(ByteView bytes);

}  // namespace tessaril
