// One job at a time: the busy flag, the stop request and the wait for a
// stopped worker that is still winding down.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <type_traits>

#include "base/stop_flag.h"
#include "session/session_texts.h"

namespace tessaril {

// A job's hold on the gate, from TryAcquire to the end of Run.
struct JobTicket {
  std::uint64_t id = 0;
};

class JobGate {
 public:
  // Takes busy in one step; nothing while another job holds it.
  std::optional<JobTicket> TryAcquire();

  // Stop: busy is cleared and the stop request raised at once; the worker
  // ends at its next poll.
  void Stop();

  bool busy() const { return holder_.load() != 0; }
  // False once the job of ticket was stopped (or never held the gate).
  bool Holds(JobTicket ticket) const { return holder_.load() == ticket.id; }
  StopFlag& stopFlag() { return stop_; }
  const StopFlag& stopFlag() const { return stop_; }

  // Runs the job of ticket once every earlier job has ended (a stopped one
  // may still be winding down: call this off the user-interface thread). A
  // job stopped before it began runs with the stop request raised. When it
  // ends, the stop request is cleared and busy released, unless a newer job
  // holds it by then.
  //
  // A stopped job whose worker reaches the gate only after a newer job has
  // run does not run at all (it gives a default result): it would undo
  // what the newer job did.
  template <class Job>
  auto Run(JobTicket ticket, Job&& job) -> decltype(job()) {
    using Outcome = decltype(job());
    const std::lock_guard<std::mutex> running(running_);
    const Ending ending{*this, ticket};
    if (ticket.id < started_) {
      if constexpr (std::is_void_v<Outcome>) {
        return;
      } else {
        return Outcome{};
      }
    }
    started_ = ticket.id;
    if (holder_.load() == ticket.id) {
      // The stop request may still be raised for the job before, whose worker
      // has not ended yet; it is not this job's. A stop of this job that
      // comes meanwhile has let go of busy first, and is raised again.
      stop_.Clear();
      if (holder_.load() != ticket.id) stop_.Request();
    } else {
      stop_.Request();
    }
    return job();
  }

 private:
  struct Ending {
    JobGate& gate;
    JobTicket ticket;
    ~Ending() { gate.End(ticket); }
  };
  void End(JobTicket ticket);

  std::atomic<std::uint64_t> holder_{0};  // the ticket that holds busy; 0 when idle
  std::atomic<std::uint64_t> issued_{0};
  std::mutex running_;         // held while a job runs
  std::uint64_t started_ = 0;  // the newest ticket that began; guarded by running_
  StopFlag stop_;
};

}  // namespace tessaril
