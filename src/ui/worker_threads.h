// The worker threads of the window's jobs. A thread that has ended is
// joined when the next one starts; the rest when the window goes.
#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <thread>

namespace tessaril::ui {

class WorkerThreads {
 public:
  WorkerThreads() = default;
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;
  ~WorkerThreads() { JoinAll(); }

  void Start(std::function<void()> work);
  // Waits for every worker: only when the window closes.
  void JoinAll();
  // Workers that have not ended yet.
  std::size_t running() const;

 private:
  struct Worker {
    std::shared_ptr<std::atomic<bool>> done;
    std::thread thread;
  };
  void JoinEnded();

  std::list<Worker> workers_;
};

}  // namespace tessaril::ui
