#pragma once
// Runs calls of a worker thread on the main thread while the worker waits, and lets the main
// thread wait for the worker's end while serving those calls and nothing else (no general event
// processing, so no re-entrant user input during the wait).
//
// The worker hands over a call and wakes the main thread through `wakeMainThread` (for example a
// posted event); the main thread runs it from its event loop (Serve) or from ServeUntilFinished.

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>

namespace dorvex {

class HandOver {
 public:
  explicit HandOver(std::function<void()> wakeMainThread);

  // Worker: runs `call` on the main thread and returns once it has run there; an exception that
  // the call threw is rethrown here.
  void Synchronize(const std::function<void()>& call);
  // Worker: its last step; wakes the main thread once more.
  void MarkFinished();

  // Main thread: runs the pending call, if any.
  void Serve();
  // Main thread: waits until the worker has marked itself finished, running its calls meanwhile.
  void ServeUntilFinished();
  bool Finished() const;

 private:
  // Runs the pending call with the lock released; `lock` holds the mutex on entry and exit.
  void RunPending(std::unique_lock<std::mutex>& lock);

  std::function<void()> wakeMainThread_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  const std::function<void()>* pending_ = nullptr;
  bool done_ = false;
  std::exception_ptr failure_;
  bool finished_ = false;
};

}  // namespace dorvex
