#include "tools/dorvex-cli/history_recorder.h"

#include <utility>

#include "history/history_reply.h"

namespace dorvex::cli {

HistoryRecorder::HistoryRecorder(const QString& path, std::size_t perCommit)
    : store_(path), perCommit_(perCommit) {}

void HistoryRecorder::Record(const PayloadOrigin& origin, const ReportSession& session) {
  batch_.push_back(HistoryReply{origin.captureTimeUtc, session.LastReplyLoginTime(), origin.adapter,
                                IPv4Text(origin.address), origin.port, session.LastReplyRecords()});
  if (batch_.size() >= perCommit_) store_.RecordAll(std::exchange(batch_, {}));
}

bool HistoryRecorder::Finish(QString& message) {
  if (store_.RecordAll(std::exchange(batch_, {})) && !store_.Refused()) return true;
  // The run ends here: replies still waiting are lost, unlike in the window, which retries.
  message = store_.Refused() ? store_.StatusText()
                             : QStringLiteral("%1 replies were not saved to %2: %3")
                                   .arg(store_.Pending())
                                   .arg(store_.Path(), store_.FailureReason());
  return false;
}

}  // namespace dorvex::cli
