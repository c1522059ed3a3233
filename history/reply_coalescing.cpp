#include "history/reply_coalescing.h"

#include <algorithm>

namespace dorvex {

bool ReplyCoalescing::Repeats(const HistoryReply& reply) {
  if (!reply.captureTimeUtc.isValid()) return false;
  const std::int64_t now = reply.captureTimeUtc.toMSecsSinceEpoch();
  const auto found = std::ranges::find_if(servers_, [&](const Server& server) {
    return server.port == reply.serverPort && server.address == reply.serverAddress;
  });
  bool repeats = false;
  Server server{reply.serverAddress, reply.serverPort, now};
  if (found != servers_.end()) {
    const std::int64_t since = now - found->lastReplyMs;
    repeats = since >= 0 && since < kWindowMs;
    servers_.erase(found);
  } else if (servers_.size() == kMaxServers) {
    servers_.erase(servers_.begin());
  }
  servers_.push_back(std::move(server));
  return repeats;
}

}  // namespace dorvex
