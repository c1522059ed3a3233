#pragma once
// Reading the history file: the replies between two times. Reads go through a read-only
// connection and never change the file.

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "history/history_reply.h"

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

// The reply of row `id` (a summary's) with its records; nullopt with `error` when it is gone or
// the file cannot be read.
std::optional<HistoryReply> ReadReply(const QString& path, qint64 id, QString& error);

}  // namespace dorvex
