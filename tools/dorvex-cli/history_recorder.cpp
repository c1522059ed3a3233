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
  message = store_.StatusText();
  return false;
}

}  // namespace dorvex::cli
