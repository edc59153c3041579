// The Standard Compression Scheme for Unicode (UTS #6), as SQL Server uses it
// for the nchar and nvarchar values of compressed rows.
#pragma once

#include <string>

#include "base/byte_view.h"

namespace tessaril {

// Decodes one SCSU stream to UTF-16. Every value is its own stream: decoding
// starts from the initial windows and single-byte mode. A tag whose argument
// bytes are missing ends the text; reserved tags are skipped.
std::u16string DecodeScsu(ByteView bytes);

}  // namespace tessaril
