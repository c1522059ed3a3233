// Replies from one server less than a second apart get one history row; a flood stays one row.

#include "history/reply_coalescing.h"

#include <gtest/gtest.h>

namespace dorvex {
namespace {

TEST(ReplyCoalescingTest, RepeatsWithinASecondOfTheSameServersPreviousReply) {
  const QDateTime start = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000, Qt::UTC);
  struct Step {
    const char* address;
    std::uint16_t port;
    std::int64_t atMs;  // after start; -1: no capture time
    bool repeats;
  };
  const Step steps[] = {
      {"10.0.0.1", 6900, 0, false},    {"10.0.0.1", 6900, 999, true},
      {"10.0.0.1", 6900, 1998, true},  // 999 ms after the previous, itself a repeat
      {"10.0.0.1", 6900, 2998, false}, {"10.0.0.2", 6900, 2999, false},
      {"10.0.0.1", 6901, 3000, false}, {"10.0.0.1", 6900, 2000, false},  // the clock went back
      {"10.0.0.1", 6900, -1, false},   {"10.0.0.1", 6900, -1, false},
  };
  ReplyCoalescing coalescing;
  for (const Step& step : steps) {
    HistoryReply reply;
    reply.serverAddress = QLatin1String(step.address);
    reply.serverPort = step.port;
    if (step.atMs >= 0) reply.captureTimeUtc = start.addMSecs(step.atMs);
    EXPECT_EQ(coalescing.Repeats(reply), step.repeats) << step.address << ' ' << step.atMs;
  }
  // Beyond the bound the server heard from longest ago is forgotten: its next reply gets a row.
  HistoryReply reply;
  reply.serverPort = 6900;
  for (std::size_t i = 0; i <= ReplyCoalescing::kMaxServers; ++i) {
    reply.serverAddress = QStringLiteral("192.0.2.%1").arg(i);
    reply.captureTimeUtc = start;
    EXPECT_FALSE(coalescing.Repeats(reply));
  }
  reply.serverAddress = QStringLiteral("192.0.2.0");
  EXPECT_FALSE(coalescing.Repeats(reply));
  EXPECT_TRUE(coalescing.Repeats(reply));
}

}  // namespace
}  // namespace dorvex
