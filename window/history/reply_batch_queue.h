#pragma once
// Batches of replies handed from the thread that reads the history file to the one that
// summarizes them. Holds a few batches at most, so a fast reader waits instead of filling memory.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "history/history_reply.h"

namespace dorvex {

class ReplyBatchQueue {
 public:
  static constexpr std::size_t kBatchSize = 512;
  static constexpr std::size_t kMaxBatches = 8;

  // Waits while the queue is full.
  void Push(std::vector<HistoryReply> batch);
  // No more batches will come.
  void Close();
  // The oldest batch, waiting for one; nullopt once closed and empty.
  std::optional<std::vector<HistoryReply>> Pop();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<HistoryReply>> batches_;
  bool closed_ = false;
};

}  // namespace dorvex
