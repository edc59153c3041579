// One column value of a compressed record, from the bytes the record keeps
// for it (anchor prefix and dictionary symbol already resolved).
#pragma once

#include <string>

#include "base/byte_view.h"
#include "catalog/table_layout.h"
#include "values/value_decoder.h"

namespace tessaril {

// The text of a compressed value. Compression stores each type in its own
// shortened form, undone here before the ordinary text form is applied:
// - integers, money and datetime: big-endian with the top bit flipped, as
//   few bytes as the value needs (sign-extended back to the type's width);
//   datetime is days * 2^32 + ticks;
// - real, float, smalldatetime and timestamp: little-endian with the
//   low-order zero bytes dropped;
// - date, time, datetime2, datetimeoffset and binary: the high-order zero
//   bytes dropped;
// - char and nchar: the trailing blanks dropped;
// - nchar and nvarchar (not nvarchar(max)): an odd number of bytes is SCSU,
//   an even number plain UTF-16;
// - decimal and numeric: the variable-length decimal form.
// No bytes is the type's zero (0, '', 1900-01-01, blanks for char). A value
// longer than its type allows gives the empty text.
std::string CompressedValueText(ByteView stored, const ColumnDef& column, TextDecoding& text);

// The text of a compressed nchar or nvarchar value: SCSU when its length is
// odd, else UTF-16LE, up to the first zero character. nchar is padded with
// blanks to its declared length.
std::string CompressedUnicodeText(ByteView stored, const ColumnDef& column);

}  // namespace tessaril
