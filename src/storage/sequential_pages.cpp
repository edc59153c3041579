#include "storage/sequential_pages.h"

#include <algorithm>

#include "storage/page_id.h"

namespace tessaril {

SequentialPages::SequentialPages(const ReadOnlyFile& file, std::uint64_t dataOffset,
                                 std::uint64_t first, std::uint64_t last)
    : file_(file), dataOffset_(dataOffset), next_(first), last_(last) {}

ByteView SequentialPages::Next() {
  if (done()) return {};
  if (next_ < blockFirst_ || next_ >= blockFirst_ + blockPages_) Fill();
  const std::size_t index = static_cast<std::size_t>(next_ - blockFirst_);
  ++next_;
  return ByteView(block_.get() + index * kPageSize, kPageSize);
}

// Reads the block that starts at next_. A block read that stops short inside
// the file (an unreadable stretch) is retried page by page, so one bad sector
// costs one page, not a whole block.
void SequentialPages::Fill() {
  blockFirst_ = next_;
  blockPages_ = std::min<std::uint64_t>(kPagesPerBlock, last_ - next_ + 1);
  const auto bytes = static_cast<std::size_t>(blockPages_) * kPageSize;
  if (bytes > blockBytes_) {
    block_ = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
    blockBytes_ = bytes;
  }
  const std::span<std::uint8_t> block(block_.get(), bytes);
  const std::uint64_t start = dataOffset_ + blockFirst_ * kPageSize;
  const std::size_t got = file_.ReadAt(start, block);  // zero-fills what the file lacks
  const std::uint64_t expected =
      start >= file_.size() ? 0 : std::min<std::uint64_t>(bytes, file_.size() - start);
  if (got >= expected) return;
  for (std::size_t page = got / kPageSize; page < blockPages_; ++page) {
    std::span<std::uint8_t> out(block_.get() + page * kPageSize, kPageSize);
    file_.ReadAt(start + page * kPageSize, out);
  }
}

}  // namespace tessaril
