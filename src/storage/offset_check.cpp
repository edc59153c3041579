#include "storage/offset_check.h"

#include "base/byte_view.h"
#include "storage/page_id.h"
#include "storage/sequential_pages.h"

namespace tessaril {
namespace {

constexpr std::size_t kStoredPageNumberOffset = 32;

// Reads positions p.. pageCount at dataOffset until a page carries its own
// number. Leaves p where the pass stopped.
std::optional<std::uint64_t> FindSelfNumberedPage(const ReadOnlyFile& file,
                                                  std::uint64_t dataOffset, std::uint64_t& p,
                                                  std::uint64_t pageCount, ProgressStepper& stepper,
                                                  const StopFlag* stop) {
  SequentialPages pages(file, dataOffset, p, pageCount);
  for (; p <= pageCount; ++p) {
    if (stop != nullptr && stop->requested()) break;
    const auto stored = static_cast<std::int32_t>(LoadU32(pages.Next(), kStoredPageNumberOffset));
    if (static_cast<std::int64_t>(stored) == static_cast<std::int64_t>(p)) return p;
    stepper.At(p);
  }
  return std::nullopt;
}

}  // namespace

OffsetCheck CheckDataOffset(const ReadOnlyFile& file, std::uint64_t pageCount,
                            ProgressSink& progress, const StopFlag& stop) {
  const std::uint64_t remainder = file.size() % kPageSize;
  progress.StatusText(kCheckingCorruptionText);
  progress.ProgressRange(0, pageCount);
  progress.ProgressPos(0);
  ProgressStepper stepper(progress, pageCount);

  OffsetCheck result{remainder, std::nullopt};
  std::uint64_t p = pageCount > 8 ? 8 : pageCount / 4;
  result.matchedPage = FindSelfNumberedPage(file, remainder, p, pageCount, stepper, &stop);
  if (!result.matchedPage && remainder != 0) {
    if (pageCount > 8) p = 8;
    result.matchedPage = FindSelfNumberedPage(file, 0, p, pageCount, stepper, nullptr);
    if (result.matchedPage) result.dataOffset = 0;
  }
  progress.ProgressPos(pageCount);
  progress.StatusText(kCheckingCorruptionDoneText);
  return result;
}

}  // namespace tessaril
