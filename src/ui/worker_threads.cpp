#include "ui/worker_threads.h"

namespace tessaril::ui {

void WorkerThreads::Start(std::function<void()> work) {
  JoinEnded();
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::thread thread([work = std::move(work), done] {
    work();
    done->store(true);
  });
  workers_.push_back(Worker{std::move(done), std::move(thread)});
}

void WorkerThreads::JoinEnded() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->done->load()) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

void WorkerThreads::JoinAll() {
  for (Worker& worker : workers_) worker.thread.join();
  workers_.clear();
}

std::size_t WorkerThreads::running() const {
  std::size_t count = 0;
  for (const Worker& worker : workers_)
    if (!worker.done->load()) ++count;
  return count;
}

}  // namespace tessaril::ui
