#include "cli/interrupt_watcher.h"

#include <unistd.h>
#include <csignal>

#include "cli/commands.h"

namespace tessaril::cli {

InterruptWatcher::InterruptWatcher(std::function<void()> onFirst) : onFirst_(std::move(onFirst)) {
  sigemptyset(&signals_);
  sigaddset(&signals_, SIGINT);
  sigaddset(&signals_, SIGTERM);
  sigaddset(&signals_, SIGUSR2);  // sent by the destructor to end the watch
  pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_);
  thread_ = std::thread([this] { Watch(); });
}

InterruptWatcher::~InterruptWatcher() {
  done_.store(true);
  pthread_kill(thread_.native_handle(), SIGUSR2);
  thread_.join();
  pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void InterruptWatcher::Watch() {
  while (!done_.load()) {
    int signal = 0;
    if (sigwait(&signals_, &signal) != 0 || signal == SIGUSR2) continue;
    if (interrupted_.exchange(true)) _exit(kExitInterrupted);
    onFirst_();
  }
}

}  // namespace tessaril::cli
