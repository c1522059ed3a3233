#pragma once
// What the history window keeps of each reply in its range: the times, the report's totals and
// the count of each world of the table, so that 100,000 replies stay small and quick to chart.
// They are read from the view the history keeps beside each reply.
// The chosen reply's records are read back from the file on demand.

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "history/history_read.h"
#include "tally/totals.h"

namespace dorvex {

inline constexpr std::size_t kTableWorldCount = kViewWorldCount;

struct ReplySummary {
  qint64 captureMs = 0;  // capture time, milliseconds since the epoch (UTC)
  int sameMsIndex = 0;   // how many earlier replies of the range share that millisecond
  QDateTime localTime;   // the login time the report shows, with its UTC offset
  Totals totals;         // the report's totals
  // The count field of each world of the table, in table order, as the report shows it;
  // kNoCount when it stays empty.
  std::array<std::int32_t, kTableWorldCount> worlds{};
};

// The PVP world's count (urdr: no group total of its own), kNoCount when absent.
std::int32_t PvpCount(const ReplySummary& summary);

// Every reply of `range`, oldest first, from the report's view kept beside each reply (no
// records read); nullopt with the read error naming the file and reason.
std::optional<std::vector<ReplySummary>> ReadReplySummaries(const QString& path,
                                                            const HistoryRange& range,
                                                            QString& error);

// `shown` (the replies of a range with an open end, oldest first) brought up to date: `newer` holds
// every reply captured from the millisecond of the last of `shown` on, and replaces the replies of
// that millisecond; replies captured before `since` (null: none) are dropped.
std::vector<ReplySummary> MergeNewerSummaries(const std::vector<ReplySummary>& shown,
                                              std::vector<ReplySummary> newer,
                                              const QDateTime& since);

// The reply a summary stands for, read again with its records; nullopt with `error` when it is
// gone or the file cannot be read.
std::optional<HistoryReply> ReadSummarizedReply(const QString& path, qint64 captureMs,
                                                int sameMsIndex, QString& error);

}  // namespace dorvex
