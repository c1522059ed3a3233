#pragma once
// Work off the GUI thread where only the newest request counts: each Start raises the cancel flag
// of the work before it (a history read stops within milliseconds, see ReadCancelScope) and drops
// its result. A finished work's result is handed back on the receiver's thread, through its event
// loop. Not Qt Concurrent: our Windows release is built without it.

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace dorvex {

class BackgroundWork {
 public:
  // What runs off the thread: it returns what to do with its result back on the receiver's thread.
  using Work = std::function<std::function<void()>(const std::atomic<bool>& cancelled)>;

  explicit BackgroundWork(QObject* receiver) : receiver_(receiver) {}
  ~BackgroundWork();  // cancels the work and waits for its thread
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;

  void Start(Work work);
  void Cancel();
  bool Busy() const { return current_ && !current_->handedBack; }

 private:
  struct Job {
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    bool handedBack = false;  // on the receiver's thread only
  };
  void JoinFinished();

  QObject* receiver_;
  std::shared_ptr<Job> current_;
  std::vector<std::pair<std::shared_ptr<Job>, std::thread>> threads_;
};

}  // namespace dorvex
