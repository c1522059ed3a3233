#include "window/history/reply_batch_queue.h"

namespace dorvex {

void ReplyBatchQueue::Push(std::vector<HistoryReply> batch) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return batches_.size() < kMaxBatches; });
  batches_.push_back(std::move(batch));
  changed_.notify_all();
}

void ReplyBatchQueue::Close() {
  const std::lock_guard lock(mutex_);
  closed_ = true;
  changed_.notify_all();
}

std::optional<std::vector<HistoryReply>> ReplyBatchQueue::Pop() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !batches_.empty() || closed_; });
  if (batches_.empty()) return std::nullopt;
  std::vector<HistoryReply> batch = std::move(batches_.front());
  batches_.pop_front();
  changed_.notify_all();
  return batch;
}

}  // namespace dorvex
