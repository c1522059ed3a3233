// HandOver with plain threads: a worker's calls run on the main thread, one at a time.

#include "capture/hand_over.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace dorvex {
namespace {

using namespace std::chrono_literals;

// True once `done` holds; false after `timeout` without it.
template <typename Condition>
bool WaitFor(Condition done, std::chrono::milliseconds timeout = 5s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
  return done();
}

class HandOverTest : public ::testing::Test {
 protected:
  std::atomic<int> wakes_{0};
  HandOver handOver_{[this] { ++wakes_; }};
  const std::thread::id mainThread_ = std::this_thread::get_id();
};

// Synchronize wakes the main thread and waits until the main thread has run the call; the call's
// exception reaches the worker, and only for that call.
TEST_F(HandOverTest, SynchronizeWaitsForTheMainThreadAndRethrowsTheCallsException) {
  std::atomic<bool> ran{false};
  std::atomic<bool> returned{false};
  std::thread::id callThread;
  std::string caught;
  std::thread worker([&] {
    handOver_.Synchronize([&] {
      callThread = std::this_thread::get_id();
      ran = true;
    });
    returned = true;
    try {
      handOver_.Synchronize([] { throw std::runtime_error("call failed"); });
    } catch (const std::runtime_error& error) {
      caught = error.what();
    }
    handOver_.Synchronize([] {});
  });
  ASSERT_TRUE(WaitFor([&] { return wakes_ == 1; }));
  // Not served yet: the worker stays in Synchronize however long the main thread takes.
  EXPECT_FALSE(WaitFor([&] { return returned.load(); }, 200ms));
  EXPECT_FALSE(ran);
  for (int wake = 1; wake <= 3; ++wake) {
    ASSERT_TRUE(WaitFor([&] { return wakes_ == wake; }));
    handOver_.Serve();  // the exception stays out of the main thread
  }
  worker.join();
  EXPECT_EQ(callThread, mainThread_);
  EXPECT_EQ(caught, "call failed");
  EXPECT_FALSE(handOver_.Finished());
}

// ServeUntilFinished runs every call of the worker, in order, and returns at MarkFinished.
TEST_F(HandOverTest, ServeUntilFinishedServesEveryCallAndReturnsOnceFinished) {
  handOver_.Serve();  // nothing pending: returns at once
  std::vector<int> calls;
  std::atomic<bool> offMainThread{false};
  std::atomic<bool> workerEnded{false};
  std::thread worker([&] {
    for (int i = 1; i <= 3; ++i) {
      handOver_.Synchronize([&, i] {
        offMainThread = offMainThread || std::this_thread::get_id() != mainThread_;
        calls.push_back(i);
      });
    }
    handOver_.MarkFinished();
    workerEnded = true;
  });
  handOver_.ServeUntilFinished();
  const bool finishedAtReturn = handOver_.Finished();
  const std::vector<int> callsAtReturn = calls;
  // Had it returned early, the worker would still wait for its calls: serve them so it can end.
  WaitFor([&] {
    handOver_.Serve();
    return workerEnded.load();
  });
  worker.join();
  EXPECT_TRUE(finishedAtReturn);
  EXPECT_EQ(callsAtReturn, (std::vector<int>{1, 2, 3}));
  EXPECT_FALSE(offMainThread);
  EXPECT_EQ(wakes_, 4) << "one per call and one for the end";
  handOver_.ServeUntilFinished();  // already finished: returns at once
}

}  // namespace
}  // namespace dorvex
