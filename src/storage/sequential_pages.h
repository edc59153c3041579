// Front-to-back reading of a run of pages in large blocks.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/byte_view.h"
#include "storage/read_only_file.h"

namespace tessaril {

// Yields the pages at positions first..last (inclusive) of a file whose page 0
// starts at dataOffset. Each page is 8192 bytes; what the file does not hold
// (past its end, or unreadable) reads as zeros. Only one block is held.
class SequentialPages {
 public:
  static constexpr std::size_t kPagesPerBlock = 128;  // 1 MiB reads

  SequentialPages(const ReadOnlyFile& file, std::uint64_t dataOffset, std::uint64_t first,
                  std::uint64_t last);

  bool done() const { return next_ > last_; }
  std::uint64_t position() const { return next_; }
  // The page at position(), then advances.
  ByteView Next();
  // Moves on to position without reading the pages before it.
  void SkipTo(std::uint64_t position) { next_ = position; }

 private:
  void Fill();

  const ReadOnlyFile& file_;
  std::uint64_t dataOffset_;
  std::uint64_t next_;
  std::uint64_t last_;
  std::uint64_t blockFirst_ = 0;
  std::uint64_t blockPages_ = 0;
  // Allocated once, not zeroed: each read fills what it returns.
  std::unique_ptr<std::uint8_t[]> block_;
  std::size_t blockBytes_ = 0;
};

}  // namespace tessaril
