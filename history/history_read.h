#pragma once
// Reading the history file: the replies between two times, one world's counts between two times.
// Reads go through a read-only connection and never change the file.

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "history/history_reply.h"
#include "history/reply_view.h"

namespace dorvex {

// Capture times from `since` (inclusive) to `until` (exclusive); a null end is open.
struct HistoryRange {
  QDateTime since;
  QDateTime until;
};

// Hands every reply in `range` to `visit`, oldest capture time first (ties in recording order),
// records in reply order. False with `error` naming the file and the reason when the file is
// missing, not a Dorvex history, newer or unreadable.
bool ForEachHistoryReply(const QString& path, const HistoryRange& range,
                         const std::function<void(const HistoryReply&)>& visit, QString& error);
std::optional<std::vector<HistoryReply>> ReadHistory(const QString& path, const HistoryRange& range,
                                                     QString& error);

// A reply as a range's summary shows it: its times and the report's view kept beside it.
struct HistoryReplySummary {
  qint64 captureUtcMs = 0;  // milliseconds since 1970 UTC
  QDateTime localTime;      // the login time the report shows, with its UTC offset
  ReplyView view;
};
// Hands the summary of every reply in `range` to `visit` in the order of ForEachHistoryReply,
// read from the reply table alone (no records). Fails as ForEachHistoryReply does.
bool ForEachReplySummary(const QString& path, const HistoryRange& range,
                         const std::function<void(const HistoryReplySummary&)>& visit,
                         QString& error);

struct WorldCount {
  QDateTime captureTimeUtc;
  std::uint16_t count = 0;
};
// The counts of the world named exactly `world` in `range`, oldest first.
std::optional<std::vector<WorldCount>> ReadWorldCounts(const QString& path, const QString& world,
                                                       const HistoryRange& range, QString& error);

}  // namespace dorvex
