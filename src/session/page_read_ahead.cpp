#include "session/page_read_ahead.h"

#include <algorithm>

namespace tessaril {
namespace {

// Pages each worker may hold rendered and not yet taken: enough to keep the
// workers busy while the walk writes a slow page, few enough that the rows
// in memory stay a few hundred pages' worth.
constexpr std::size_t kPagesAheadPerThread = 32;

}  // namespace

RenderedPage RenderListedPage(PageId page, RowContext& context,
                              std::span<const std::uint64_t> unitKeys) {
  RenderedPage rendered;
  const std::size_t damagedBefore = context.damagedRecords;
  rendered.rows = ReadPageRows(page, context, unitKeys, rendered.read);
  rendered.damagedRecords = context.damagedRecords - damagedBefore;
  return rendered;
}

unsigned DefaultReadAheadThreads() {
  return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxReadAheadThreads);
}

PageReadAhead::PageReadAhead(const RowContext& context, std::span<const PageId> pages,
                             std::span<const std::uint64_t> unitKeys, std::size_t from,
                             unsigned threads)
    : pages_(pages),
      unitKeys_(unitKeys),
      window_(kPagesAheadPerThread * std::max(threads, 1u)),
      taken_(from),
      claimed_(from) {
  for (unsigned i = 0; i < std::max(threads, 1u); ++i) {
    RowContext own = context;
    own.capture = nullptr;
    own.damagedRecords = 0;
    workers_.emplace_back(&PageReadAhead::Work, this, std::move(own));
  }
}

PageReadAhead::~PageReadAhead() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  room_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void PageReadAhead::Work(RowContext context) {
  for (;;) {
    std::size_t p = 0;
    {
      std::unique_lock lock(mutex_);
      room_.wait(lock, [&] {
        return ending_ || claimed_ >= pages_.size() || claimed_ < taken_ + window_;
      });
      if (ending_ || claimed_ >= pages_.size()) return;
      p = claimed_++;
    }
    RenderedPage page;
    std::exception_ptr failure;
    try {
      page = RenderListedPage(pages_[p], context, unitKeys_);
    } catch (...) {
      failure = std::current_exception();
    }
    {
      std::lock_guard lock(mutex_);
      if (failure) {
        failed_.emplace(p, failure);
      } else {
        done_.emplace(p, std::move(page));
      }
    }
    ready_.notify_one();  // only the taking thread waits for pages
  }
}

RenderedPage PageReadAhead::Take() {
  std::unique_lock lock(mutex_);
  const std::size_t p = taken_;
  if (p >= pages_.size()) return {};
  ready_.wait(lock, [&] { return done_.contains(p) || failed_.contains(p); });
  ++taken_;
  room_.notify_one();  // room for one more page
  if (const auto failure = failed_.find(p); failure != failed_.end()) {
    const std::exception_ptr thrown = failure->second;
    failed_.erase(failure);
    std::rethrow_exception(thrown);
  }
  const auto found = done_.find(p);
  RenderedPage page = std::move(found->second);
  done_.erase(found);
  return page;
}

}  // namespace tessaril
