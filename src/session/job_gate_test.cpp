#include "session/job_gate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace tessaril {
namespace {

// Stop frees busy at once; a new job then waits for the stopped one to wind
// down, runs without its stop request, and keeps busy when the old one ends.
TEST(JobGate, ANewJobWaitsForAStoppedOne) {
  JobGate gate;
  const std::optional<JobTicket> first = gate.TryAcquire();
  ASSERT_TRUE(first);
  EXPECT_FALSE(gate.TryAcquire());
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> firstSawStop{false};
  std::atomic<bool> firstBegan{false};
  std::thread old([&] {
    gate.Run(*first, [&] {
      firstBegan = true;
      while (!gate.stopFlag().requested()) std::this_thread::yield();
      firstSawStop = true;
      released.wait();  // winding down
    });
  });
  while (!firstBegan) std::this_thread::yield();
  gate.Stop();
  EXPECT_FALSE(gate.busy());
  const std::optional<JobTicket> second = gate.TryAcquire();
  ASSERT_TRUE(second);
  std::atomic<bool> secondRan{false};
  bool secondSawStop = true;
  std::thread next([&] {
    gate.Run(*second, [&] {
      secondSawStop = gate.stopFlag().requested();
      secondRan = true;
    });
  });
  while (!firstSawStop) std::this_thread::yield();
  EXPECT_FALSE(secondRan);  // still waiting for the old job
  release.set_value();
  old.join();
  next.join();
  EXPECT_TRUE(secondRan);
  EXPECT_FALSE(secondSawStop);
  EXPECT_FALSE(gate.busy());
  EXPECT_FALSE(gate.stopFlag().requested());
}

// A job stopped before it began still runs, with the stop request raised,
// and the request is cleared when it ends.
TEST(JobGate, AJobStoppedBeforeItBeginsRunsStopped) {
  JobGate gate;
  const std::optional<JobTicket> ticket = gate.TryAcquire();
  ASSERT_TRUE(ticket);
  gate.Stop();
  bool sawStop = false;
  const int result = gate.Run(*ticket, [&] {
    sawStop = gate.stopFlag().requested();
    return 7;
  });
  EXPECT_EQ(result, 7);
  EXPECT_TRUE(sawStop);
  EXPECT_FALSE(gate.stopFlag().requested());
  EXPECT_TRUE(gate.TryAcquire());
}

// Stop pressed before the worker of a job reached the gate, and a newer job
// run meanwhile, without that stop: the old job never runs, so it cannot
// undo the newer one.
TEST(JobGate, AStoppedJobOvertakenByANewerOneDoesNotRun) {
  JobGate gate;
  const std::optional<JobTicket> old = gate.TryAcquire();
  ASSERT_TRUE(old);
  gate.Stop();
  const std::optional<JobTicket> newer = gate.TryAcquire();
  ASSERT_TRUE(newer);
  // The newer job runs free of the stop meant for the old one.
  EXPECT_EQ(gate.Run(*newer, [&] { return gate.stopFlag().requested() ? 3 : 2; }), 2);
  bool oldRan = false;
  EXPECT_EQ(gate.Run(*old,
                     [&] {
                       oldRan = true;
                       return 1;
                     }),
            0);
  EXPECT_FALSE(oldRan);
  EXPECT_FALSE(gate.busy());
  EXPECT_FALSE(gate.stopFlag().requested());
}

}  // namespace
}  // namespace tessaril
