#include "session/job_gate.h"

namespace tessaril {

std::optional<JobTicket> JobGate::TryAcquire() {
  const std::uint64_t id = issued_.fetch_add(1) + 1;
  std::uint64_t idle = 0;
  if (!holder_.compare_exchange_strong(idle, id)) return std::nullopt;
  return JobTicket{id};
}

void JobGate::Stop() {
  holder_.store(0);
  stop_.Request();
}

// A stop that reaches a newer job while this one clears the request is
// raised again when that job begins (Run compares the holder).
void JobGate::End(JobTicket ticket) {
  stop_.Clear();
  std::uint64_t mine = ticket.id;
  holder_.compare_exchange_strong(mine, 0);
}

}  // namespace tessaril
