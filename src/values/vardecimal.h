// The variable-length decimal form: decimal and numeric values of compressed
// rows, and of tables stored in the vardecimal storage format.
#pragma once

#include <string>

#include "base/byte_view.h"

namespace tessaril {

// The text of a decimal(precision, scale) value in variable-length form, as
// the fixed form of the same value would show (exactly `scale` decimals).
//
// No bytes is zero. Otherwise byte 0 holds the sign in its top bit (set:
// positive) and, in its low seven bits, the power of ten of the first
// significant digit biased by 64. The bytes after it are the digits in groups
// of three, each group a 10-bit big-endian number (0-999); trailing zero bits
// are not stored. A group above 999, more than 38 significant digits, or a
// nonzero digit beyond the scale gives the empty text.
std::string VarDecimalText(ByteView bytes, int precision, int scale);

}  // namespace tessaril
