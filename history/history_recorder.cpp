#include "history/history_recorder.h"

#include <utility>

namespace dorvex {

HistoryReply ToHistoryReply(const RecognisedReply& reply) {
  return {reply.origin.CaptureTimeUtc(),  reply.loginTime,   reply.origin.adapter,
          IPv4Text(reply.origin.address), reply.origin.port, reply.records};
}

HistoryRecorder::HistoryRecorder(QString path, std::size_t perCommit)
    : store_(std::move(path)), perCommit_(perCommit) {}

bool HistoryRecorder::Record(const RecognisedReply& reply) {
  if (store_.Refused()) return false;  // a file that is not ours is never written
  HistoryReply historyReply = ToHistoryReply(reply);
  if (coalescing_.Repeats(historyReply)) {
    ++coalesced_;
    return store_.Pending() == 0;
  }
  if (perCommit_ <= 1) return store_.Record(std::move(historyReply));
  batch_.push_back(std::move(historyReply));
  if (batch_.size() < perCommit_) return store_.Pending() == 0;
  return Flush();
}

bool HistoryRecorder::Flush() {
  if (store_.Refused()) return false;
  return batch_.empty() ? store_.Flush() : store_.RecordAll(std::exchange(batch_, {}));
}

void HistoryRecorder::Discard() {
  batch_.clear();
  store_.Discard();
}

QString HistoryRecorder::LossText() const {
  if (store_.Refused()) return store_.StatusText();
  const std::size_t lost = Waiting() + store_.Dropped();
  if (lost == 0) return {};
  return QStringLiteral("%1 %2 not saved to %3: %4")
      .arg(lost)
      .arg(lost == 1 ? QStringLiteral("reply was") : QStringLiteral("replies were"))
      .arg(store_.Path(), store_.FailureReason());
}

}  // namespace dorvex
