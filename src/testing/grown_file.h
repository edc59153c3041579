// A data file grown past its real size: after its own pages come copies of
// the leaf pages of some of its tables, each run of copies linked into its
// table's page chain after the chain's last page, so that both the page
// inventory and the chain walk find them. Every page carries its position
// as its stored page number. Used by tests and benchmarks that need a big
// table built from a small real file.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "storage/page_id.h"

namespace tessaril::testing {

// One table to grow: the page numbers of its leaf pages in chain order (in
// the primary file), and how many copies of them to append.
struct ChainToGrow {
  std::vector<std::uint32_t> chain;
  std::uint64_t copies = 0;
};

class GrownFile {
 public:
  GrownFile(std::uint64_t sourcePageCount, std::vector<ChainToGrow> chains);

  std::uint64_t pageCount() const { return pageCount_; }
  // The page of the source file whose bytes go to position.
  std::uint64_t SourcePageAt(std::uint64_t position) const;
  // Gives the page copied to position its stored page number and, for a page
  // of a grown chain, the previous and next links that put it in the chain.
  void Patch(std::uint64_t position, std::span<std::uint8_t> page) const;

 private:
  // The chain whose copies hold position, or nothing for a source page.
  const ChainToGrow* ChainAt(std::uint64_t position, std::uint64_t& firstCopyPosition) const;

  std::uint64_t sourcePageCount_;
  std::vector<ChainToGrow> chains_;
  std::vector<std::uint64_t> firstCopyPositions_;  // one for each chain
  std::uint64_t pageCount_ = 0;
};

}  // namespace tessaril::testing
