#pragma once
// Replies that repeat faster than a person can log in: a reply that comes less than a second after
// the previous reply from the same server (address and port) is that login seen again (a client
// that asks twice, a retransmission, or a flood of forged segments) and gets no history row of its
// own. A steady stream of such replies stays one row. The servers remembered are bounded.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "history/history_reply.h"

namespace dorvex {

class ReplyCoalescing {
 public:
  static constexpr std::int64_t kWindowMs = 1000;
  static constexpr std::size_t kMaxServers = 64;

  // True when `reply` repeats the previous reply from its server; it becomes that server's
  // previous reply either way. A reply without a capture time never repeats.
  bool Repeats(const HistoryReply& reply);

 private:
  struct Server {
    QString address;
    std::uint16_t port = 0;
    std::int64_t lastReplyMs = 0;  // capture time, milliseconds since 1970 UTC
  };
  std::vector<Server> servers_;  // the one heard from longest ago first
};

}  // namespace dorvex
