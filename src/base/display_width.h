// How many terminal columns text takes: East Asian wide and fullwidth
// characters take two, combining marks and control characters none.
#pragma once

#include <cstddef>
#include <string_view>

namespace tessaril {

// Columns of one code point: 0, 1 or 2.
int CodePointWidth(char32_t codePoint);

// Columns of UTF-8 text (malformed bytes count one column each).
std::size_t DisplayWidth(std::string_view text);

}  // namespace tessaril
