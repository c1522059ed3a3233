// HandOver with plain threads: a worker's calls run on the main thread, one at a time.

#include "capture/hand_over.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace dorvex {
namespace {

using namespace std::chrono_literals;

// The wake function: counts the wake-ups and lets the main thread wait for them.
class Wakes {
 public:
  void Wake() {
    std::lock_guard lock(mutex_);
    ++count_;
    changed_.notify_all();
  }
  // True once `count` wake-ups have happened; false after `timeout` without them.
  bool WaitFor(int count, std::chrono::milliseconds timeout = 5s) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return count_ >= count; });
  }
  int Count() {
    std::lock_guard lock(mutex_);
    return count_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int count_ = 0;
};

// True once `flag` is set; false after `timeout` without it.
bool WaitForFlag(const std::atomic<bool>& flag, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!flag && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  return flag;
}

class HandOverTest : public ::testing::Test {
 protected:
  Wakes wakes_;
  HandOver handOver_{[this] { wakes_.Wake(); }};
  const std::thread::id mainThread_ = std::this_thread::get_id();
};

// Synchronize wakes the main thread and waits there until the main thread has run the call.
TEST_F(HandOverTest, SynchronizeRunsTheCallOnTheMainThreadAndReturnsAfterIt) {
  std::thread::id callThread;
  std::atomic<bool> ran{false};
  std::atomic<bool> returned{false};
  bool ranBeforeReturn = false;
  std::thread::id workerThread;
  std::thread worker([&] {
    workerThread = std::this_thread::get_id();
    handOver_.Synchronize([&] {
      callThread = std::this_thread::get_id();
      ran = true;
    });
    ranBeforeReturn = ran;
    returned = true;
  });
  ASSERT_TRUE(wakes_.WaitFor(1));
  // Not served yet: the worker stays in Synchronize however long the main thread takes.
  EXPECT_FALSE(WaitForFlag(returned, 200ms));
  EXPECT_FALSE(ran);
  handOver_.Serve();
  worker.join();
  EXPECT_TRUE(ran);
  EXPECT_TRUE(ranBeforeReturn);
  EXPECT_EQ(callThread, mainThread_);
  EXPECT_NE(callThread, workerThread);
  EXPECT_EQ(wakes_.Count(), 1);
  EXPECT_FALSE(handOver_.Finished());
}

// The call's exception reaches the worker, and only for that call: the next one returns normally.
TEST_F(HandOverTest, AnExceptionOfTheCallIsRethrownInTheWorker) {
  std::string caught;
  bool secondReturned = false;
  std::thread worker([&] {
    try {
      handOver_.Synchronize([] { throw std::runtime_error("call failed"); });
    } catch (const std::runtime_error& error) {
      caught = error.what();
    }
    handOver_.Synchronize([] {});
    secondReturned = true;
  });
  for (int wake = 1; wake <= 2; ++wake) {
    ASSERT_TRUE(wakes_.WaitFor(wake));
    handOver_.Serve();  // the exception stays out of the main thread
  }
  worker.join();
  EXPECT_EQ(caught, "call failed");
  EXPECT_TRUE(secondReturned);
}

// ServeUntilFinished runs every call of the worker, in order, and returns at MarkFinished.
TEST_F(HandOverTest, ServeUntilFinishedServesEveryCallAndReturnsOnceFinished) {
  handOver_.Serve();  // nothing pending: returns at once
  EXPECT_FALSE(handOver_.Finished());
  std::vector<int> calls;  // main thread only
  std::atomic<bool> callsOffTheMainThread{false};
  std::atomic<bool> workerEnded{false};
  std::thread worker([&] {
    for (int i = 1; i <= 3; ++i) {
      handOver_.Synchronize([&, i] {
        if (std::this_thread::get_id() != mainThread_) callsOffTheMainThread = true;
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
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!workerEnded && std::chrono::steady_clock::now() < deadline) {
    handOver_.Serve();
    std::this_thread::sleep_for(1ms);
  }
  ASSERT_TRUE(workerEnded);
  worker.join();
  EXPECT_TRUE(finishedAtReturn);
  EXPECT_EQ(callsAtReturn, (std::vector<int>{1, 2, 3}));
  EXPECT_FALSE(callsOffTheMainThread);
  EXPECT_EQ(wakes_.Count(), 4) << "one per call and one for the end";
  handOver_.ServeUntilFinished();  // already finished: returns at once
  EXPECT_TRUE(handOver_.Finished());
}

}  // namespace
}  // namespace dorvex
