#include "records/record.h"

namespace tessaril {

bool CRecord::IsNull(int column) const {
  if (column < 0) return false;
  const auto index = static_cast<std::size_t>(column);
  return (nullBitmap().At(index / 8) >> (index % 8) & 1) != 0;
}

}  // namespace tessaril
