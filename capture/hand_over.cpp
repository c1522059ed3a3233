#include "capture/hand_over.h"

#include <utility>

namespace dorvex {

HandOver::HandOver(std::function<void()> wakeMainThread)
    : wakeMainThread_(std::move(wakeMainThread)) {}

void HandOver::Synchronize(const std::function<void()>& call) {
  std::unique_lock lock(mutex_);
  pending_ = &call;
  done_ = false;
  failure_ = nullptr;
  changed_.notify_all();
  lock.unlock();
  wakeMainThread_();
  lock.lock();
  changed_.wait(lock, [this] { return done_; });
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void HandOver::MarkFinished() {
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
  }
  wakeMainThread_();
}

void HandOver::Serve() {
  std::unique_lock lock(mutex_);
  RunPending(lock);
}

void HandOver::ServeUntilFinished() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return pending_ != nullptr || finished_; });
    if (pending_) {
      RunPending(lock);
    } else {
      return;
    }
  }
}

bool HandOver::Finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

void HandOver::RunPending(std::unique_lock<std::mutex>& lock) {
  const std::function<void()>* call = std::exchange(pending_, nullptr);
  if (!call) return;
  lock.unlock();
  std::exception_ptr failure;
  try {
    (*call)();
  } catch (...) {
    failure = std::current_exception();
  }
  lock.lock();
  failure_ = failure;
  done_ = true;
  changed_.notify_all();
}

}  // namespace dorvex
