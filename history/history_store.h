#pragma once
// The history store: records each world list reply in the history file, with the report's view of
// it (CountsOfReply), one transaction per reply. Opening a file of an older version upgrades it in
// one transaction, the views of the replies it holds included. A reply that cannot be written (file
// locked past the busy timeout, disk full, read-only) stays queued in memory and is retried at the
// next reply and at close. A file that is not a Dorvex history, is damaged or is of a newer version
// is never written: recording stays off.

#include <QString>
#include <deque>
#include <memory>
#include <span>
#include <vector>

#include "history/history_reply.h"
#include "history/history_schema.h"

namespace dorvex {

struct HistoryStoreOptions {
  int busyTimeoutMs = kHistoryBusyTimeoutMs;  // how long a write waits for another instance's lock
  std::size_t maxWaiting = 10000;  // replies kept in memory while the file cannot be written
  std::span<const HistorySchemaStep> steps = HistorySchemaSteps();
};

class HistoryStore {
 public:
  // Opens (or creates) the file at once; a failure is retried at the first write.
  explicit HistoryStore(QString path, HistoryStoreOptions options = {});
  ~HistoryStore();  // writes what is queued, if it can
  HistoryStore(const HistoryStore&) = delete;
  HistoryStore& operator=(const HistoryStore&) = delete;

  // Queues `reply` and writes every queued reply, oldest first. True when nothing is left queued.
  bool Record(HistoryReply reply);
  // Writes every queued reply; true when nothing is left queued.
  bool Flush();
  // Forgets every queued reply.
  void Discard() { queue_.clear(); }
  // Queues `replies` and writes every queued reply in one transaction, all or none: an import's
  // batch costs one commit instead of one per reply. True when nothing is left queued.
  bool RecordAll(std::vector<HistoryReply> replies);

  const QString& Path() const { return path_; }
  std::size_t Pending() const { return queue_.size(); }
  // Replies given up because more than maxWaiting waited: the oldest go first.
  std::size_t Dropped() const { return dropped_; }
  // False once the file was judged not ours, damaged or newer: nothing is written to it.
  bool Refused() const { return refused_; }
  // Empty while history is being saved; otherwise says that it is not, names the file and why.
  const QString& StatusText() const { return status_; }
  // Why the last open or write failed (empty before any failure).
  const QString& FailureReason() const { return failure_; }

 private:
  struct Connection;

  bool EnsureOpen();
  bool Open();
  bool Upgrade();
  // Writes the queued replies in transactions of up to `perTransaction` replies, oldest first.
  bool WriteQueue(std::size_t perTransaction);
  // Writes [first, last) in one transaction.
  bool Write(std::deque<HistoryReply>::const_iterator first,
             std::deque<HistoryReply>::const_iterator last);
  void Fail(const QString& reason);  // a write failure: closes the connection, keeps the queue
  void Refuse(const QString& reason);
  void ShowNotSaving();
  void DropOverflow();

  QString path_;
  HistoryStoreOptions options_;
  std::unique_ptr<Connection> connection_;
  std::deque<HistoryReply> queue_;
  std::size_t dropped_ = 0;
  bool refused_ = false;
  QString failure_;  // why the last open or write failed
  QString status_;
};

}  // namespace dorvex
