// Turns the first Ctrl-C (SIGINT or SIGTERM) into a stop request; a second
// one ends the process at once. Signals are taken by a thread of its own with
// sigwait, so no handler and no global state are involved. Create it before
// any other thread.
#pragma once

#include <pthread.h>

#include <atomic>
#include <functional>
#include <thread>

namespace tessaril::cli {

class InterruptWatcher {
 public:
  explicit InterruptWatcher(std::function<void()> onFirst);
  ~InterruptWatcher();
  InterruptWatcher(const InterruptWatcher&) = delete;
  InterruptWatcher& operator=(const InterruptWatcher&) = delete;

  bool interrupted() const { return interrupted_.load(); }

 private:
  void Watch();

  std::function<void()> onFirst_;
  std::atomic<bool> interrupted_{false};
  std::atomic<bool> done_{false};
  sigset_t signals_{};
  sigset_t previousMask_{};
  std::thread thread_;
};

}  // namespace tessaril::cli
