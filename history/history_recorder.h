#pragma once
// Records the replies a tally session recognises into a history file: the reply with its
// records, the login time its report shows and where it was captured. A reply that repeats the
// previous one from its server within a second gets no row (history/reply_coalescing.h). A reply
// that cannot be
// written waits in memory and is retried with the next one; a file that is not a Dorvex history,
// is damaged or is newer is never written.

#include <QString>
#include <cstddef>
#include <vector>

#include "history/history_store.h"
#include "history/reply_coalescing.h"
#include "tally/reply_session.h"

namespace dorvex {

// The history's record of a recognised reply.
HistoryReply ToHistoryReply(const RecognisedReply& reply);

class HistoryRecorder {
 public:
  // Opens (or creates) the file. Replies are committed `perCommit` at a time: 1 for a live
  // capture, where each reply is kept at once; more for an import, whose replies come faster than
  // one commit each can keep up with.
  explicit HistoryRecorder(QString path, std::size_t perCommit = 1);

  // Keeps `reply`, unless it repeats its server's previous reply; true when nothing waits
  // unwritten (a batch not yet due counts as written).
  bool Record(const RecognisedReply& reply);
  // Writes everything that waits; true when nothing is left.
  bool Flush();
  // Gives up everything that waits: nothing of it is written later, not even at destruction.
  void Discard();

  const HistoryStore& Store() const { return store_; }
  // How many replies were taken as repeats and got no row.
  std::size_t Coalesced() const { return coalesced_; }
  // How many replies wait: the store's queue and the batch not yet committed.
  std::size_t Waiting() const { return store_.Pending() + batch_.size(); }
  // What stays unsaved when the run ends now: the file and the reason (empty when all is saved).
  QString LossText() const;

 private:
  HistoryStore store_;
  const std::size_t perCommit_;
  std::vector<HistoryReply> batch_;
  ReplyCoalescing coalescing_;
  std::size_t coalesced_ = 0;
};

}  // namespace dorvex
