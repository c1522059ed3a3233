#include "window/history/background_work.h"

#include <QMetaObject>

namespace dorvex {

BackgroundWork::~BackgroundWork() {
  Cancel();
  for (auto& [job, thread] : threads_) thread.join();
}

void BackgroundWork::Cancel() {
  if (current_) current_->cancelled = true;
  current_.reset();
}

void BackgroundWork::Start(Work work) {
  Cancel();
  JoinFinished();
  auto job = std::make_shared<Job>();
  current_ = job;
  std::thread thread([this, job, work = std::move(work)] {
    std::function<void()> handBack = work(job->cancelled);
    QMetaObject::invokeMethod(
        receiver_,
        [job, handBack = std::move(handBack)] {
          if (job->cancelled) return;
          job->handedBack = true;
          handBack();
        },
        Qt::QueuedConnection);
    job->finished = true;
  });
  threads_.emplace_back(job, std::move(thread));
}

// Threads that are done are joined at once; a cancelled one still running is left to finish.
void BackgroundWork::JoinFinished() {
  std::erase_if(threads_, [](auto& entry) {
    if (!entry.first->finished) return false;
    entry.second.join();
    return true;
  });
}

}  // namespace dorvex
