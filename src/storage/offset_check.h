// Where the first page of a file starts when its length is not a multiple of
// 8192 bytes.
#pragma once

#include <cstdint>
#include <optional>

#include "base/progress.h"
#include "base/stop_flag.h"
#include "storage/read_only_file.h"

namespace tessaril {

inline constexpr const char* kCheckingCorruptionText = "Checking for file corruption ...........";
inline constexpr const char* kCheckingCorruptionDoneText =
    "Checking for file corruption is done...........";

struct OffsetCheck {
  std::uint64_t dataOffset = 0;
  // The first position whose page carries its own page number at dataOffset;
  // empty when none does at either alignment (dataOffset is then the remainder).
  std::optional<std::uint64_t> matchedPage;
};

// Looks for a page whose stored page number (offset 32) equals its position,
// first at the remainder (file size mod 8192), starting at page 8, then, when
// the remainder is not 0, at offset 0. The data offset is where the first such
// page was found; the remainder when no page matches at either. The first pass
// ends early on a stop request.
OffsetCheck CheckDataOffset(const ReadOnlyFile& file, std::uint64_t pageCount,
                            ProgressSink& progress, const StopFlag& stop);

}  // namespace tessaril
