// Rendering the pages of a walk's list ahead of the walk, on worker threads,
// and handing them back in list order, so that a walk over a whole table
// decodes on every core while its rows still come out in table order.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <map>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "storage/page_id.h"
#include "values/row_renderer.h"

namespace tessaril {

// The rows of one page of the list, as ReadPageRows gave them.
struct RenderedPage {
  std::vector<RenderedRow> rows;
  PageRead read;
  std::size_t damagedRecords = 0;  // records of the page left out as damage
};

// ReadPageRows of a page of a walk's list, with the records it left out as
// damage.
RenderedPage RenderListedPage(PageId page, RowContext& context,
                              std::span<const std::uint64_t> unitKeys);

// The number of threads a whole-table walk decodes on by default: one per
// core, at most kMaxReadAheadThreads.
inline constexpr unsigned kMaxReadAheadThreads = 8;
unsigned DefaultReadAheadThreads();

class PageReadAhead {
 public:
  // Starts threads workers over pages[from...], each with its own copy of
  // context (its text decoders, PFS and text page caches are its own). The
  // list, the unit keys and what context refers to must outlive this object.
  // Workers keep at most a bounded number of pages rendered ahead of Take.
  PageReadAhead(const RowContext& context, std::span<const PageId> pages,
                std::span<const std::uint64_t> unitKeys, std::size_t from, unsigned threads);
  // Stops the workers and waits for them.
  ~PageReadAhead();
  PageReadAhead(const PageReadAhead&) = delete;
  PageReadAhead& operator=(const PageReadAhead&) = delete;

  // The index Take gives next.
  std::size_t next() const { return taken_; }
  // The rendered page at list index next(), waiting for it; then moves on.
  // Past the list's end, nothing.
  // What a worker threw while rendering it is thrown here.
  RenderedPage Take();

 private:
  void Work(RowContext context);

  std::span<const PageId> pages_;
  std::span<const std::uint64_t> unitKeys_;
  std::size_t window_;  // pages rendered or claimed ahead of taken_, at most

  std::mutex mutex_;
  std::condition_variable ready_;  // a page was rendered
  std::condition_variable room_;   // a page was taken, or the walk ends
  std::size_t taken_;              // read by next() on the taking thread only
  std::size_t claimed_;
  bool ending_ = false;
  std::map<std::size_t, RenderedPage> done_;
  std::map<std::size_t, std::exception_ptr> failed_;
  std::vector<std::thread> workers_;
};

}  // namespace tessaril
