#include "testing/grown_file.h"

#include <utility>

namespace tessaril::testing {
namespace {

// Page header fields that are rewritten: the previous and next page links
// (page number, then file id) and the page's own number.
constexpr std::size_t kPrevPageOffset = 8;
constexpr std::size_t kNextPageOffset = 16;
constexpr std::size_t kStoredPageNumberOffset = 32;
constexpr std::uint16_t kPrimaryFileId = 1;

void StoreU32(std::span<std::uint8_t> page, std::size_t offset, std::uint64_t value) {
  if (page.size() < offset + 4) return;
  for (std::size_t i = 0; i < 4; ++i) {
    page[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// A link to a page of the primary file, or the 0:0 that ends a chain.
void StoreLink(std::span<std::uint8_t> page, std::size_t offset, std::uint64_t pageNumber) {
  StoreU32(page, offset, pageNumber);
  if (page.size() < offset + 6) return;
  const std::uint16_t fileId = pageNumber == 0 ? 0 : kPrimaryFileId;
  page[offset + 4] = static_cast<std::uint8_t>(fileId);
  page[offset + 5] = static_cast<std::uint8_t>(fileId >> 8);
}

}  // namespace

GrownFile::GrownFile(std::uint64_t sourcePageCount, std::vector<ChainToGrow> chains)
    : sourcePageCount_(sourcePageCount), chains_(std::move(chains)) {
  pageCount_ = sourcePageCount_;
  for (const ChainToGrow& c : chains_) {
    firstCopyPositions_.push_back(pageCount_);
    pageCount_ += c.chain.empty() ? 0 : c.copies * c.chain.size();
  }
}

const ChainToGrow* GrownFile::ChainAt(std::uint64_t position,
                                      std::uint64_t& firstCopyPosition) const {
  for (std::size_t c = 0; c < chains_.size(); ++c) {
    const std::uint64_t first = firstCopyPositions_[c];
    const std::uint64_t end = first + chains_[c].copies * chains_[c].chain.size();
    if (position >= first && position < end) {
      firstCopyPosition = first;
      return &chains_[c];
    }
  }
  return nullptr;
}

std::uint64_t GrownFile::SourcePageAt(std::uint64_t position) const {
  std::uint64_t first = 0;
  const ChainToGrow* grown = ChainAt(position, first);
  if (grown == nullptr) return position;
  return grown->chain[(position - first) % grown->chain.size()];
}

void GrownFile::Patch(std::uint64_t position, std::span<std::uint8_t> page) const {
  StoreU32(page, kStoredPageNumberOffset, position);
  std::uint64_t first = 0;
  const ChainToGrow* grown = ChainAt(position, first);
  if (grown == nullptr) {
    // The last page of a grown chain leads on to its first copy.
    for (std::size_t c = 0; c < chains_.size(); ++c) {
      const ChainToGrow& chain = chains_[c];
      if (chain.copies > 0 && !chain.chain.empty() && chain.chain.back() == position) {
        StoreLink(page, kNextPageOffset, firstCopyPositions_[c]);
      }
    }
    return;
  }
  // Copies lie one after another, each in chain order: a copy's pages are
  // linked to their neighbours in the file, the first to the source chain's
  // last page, the last of the last copy to nothing.
  const std::uint64_t last = first + grown->copies * grown->chain.size() - 1;
  StoreLink(page, kPrevPageOffset, position == first ? grown->chain.back() : position - 1);
  StoreLink(page, kNextPageOffset, position == last ? 0 : position + 1);
}

}  // namespace tessaril::testing
