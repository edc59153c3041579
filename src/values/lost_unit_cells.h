// The cells of a record of a lost allocation unit, whose columns are not
// known: its fixed part in hex, then each variable value as text where its
// bytes read as text, else in hex.
#pragma once

#include <vector>

#include "values/row_context.h"

namespace tessaril {

// A value's text: UTF-16 when every character is a printable one, the
// database's code page when every byte is printable ASCII, else "0x" hex.
std::string LostValueText(ByteView bytes, RowContext& context);

// One cell per column of the lost unit's layout: "fixed" (a compressed
// record whole), then column_1 to column_N; an empty value is the empty
// string (NULL cannot be told from it), NULL past the record's last value
// and for a value whose bytes do not read.
std::vector<Cell> LostUnitCells(const CPrimaryRecord& record, RowContext& context);

}  // namespace tessaril
