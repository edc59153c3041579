// The stop request of a running job: set by the user, polled by long loops.
#pragma once

#include <atomic>

namespace tessaril {

class StopFlag {
 public:
  void Request() { requested_.store(true, std::memory_order_relaxed); }
  void Clear() { requested_.store(false, std::memory_order_relaxed); }
  bool requested() const { return requested_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> requested_{false};
};

}  // namespace tessaril
