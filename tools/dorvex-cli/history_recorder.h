#pragma once
// dorvex-cli --history: every world list reply that the session reads goes into the history file,
// with the capture time, server and adapter of its frame and the login time of its report.

#include <QString>
#include <cstddef>
#include <vector>

#include "history/history_store.h"
#include "tools/dorvex-cli/payload_source.h"
#include "tools/dorvex-cli/report_session.h"

namespace dorvex::cli {

class HistoryRecorder {
 public:
  // Opens (or creates) the history file; a file that is not a Dorvex history is never written.
  // Replies are committed `perCommit` at a time: 1 for a live capture, where each reply is kept
  // at once; more for a capture file, whose replies come faster than one commit each can keep up
  // with.
  HistoryRecorder(const QString& path, std::size_t perCommit);

  // Records the reply that `session` has just read from a payload captured as `origin` says.
  // A reply that cannot be written now waits in memory for the next commit and for Finish.
  void Record(const PayloadOrigin& origin, const ReportSession& session);

  // Writes what still waits. False with `message` (the file and the reason) when replies remain
  // unwritten or the file was refused.
  bool Finish(QString& message);

 private:
  HistoryStore store_;
  const std::size_t perCommit_;
  std::vector<HistoryReply> batch_;
};

}  // namespace dorvex::cli
