#pragma once
// A reply as a range's summary shows it: its row, its times, the report's totals and each world's
// count, read from the view the history keeps beside each reply (no records), so that 100,000
// replies stay small and quick to chart. The chosen reply's records are read back by its row.

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "history/history_read.h"
#include "tally/count_text.h"
#include "tally/totals.h"
#include "tally/world_table.h"

namespace dorvex {

inline constexpr qint64 kNoClockTime = std::numeric_limits<qint64>::min();

struct ReplySummary {
  qint64 id = 0;         // the reply's row in the file: later recordings have higher ones
  qint64 captureMs = 0;  // capture time, milliseconds since the epoch (UTC)
  // The login time the report shows as its own clock read it (ReadClockMs): a number, not a
  // QDateTime, which holds a heap block per reply; kNoClockTime when the file's text is no time.
  qint64 clockMs = kNoClockTime;
  Totals totals;  // the report's totals
  // Each world's count field in table order, as the report shows it; kNotMeasured when empty.
  std::array<std::int32_t, kWorldTableSize> worlds{};
};

// The summary's login time: a UTC QDateTime whose date and time are those its clock read; invalid
// for kNoClockTime.
QDateTime ClockTime(const ReplySummary& summary);

// The PVP world's count (urdr: no group total of its own), kNotMeasured when absent.
std::int32_t PvpCount(const ReplySummary& summary);

// Every reply of `range`, oldest first (ties in recording order); nullopt with the read error
// naming the file and the reason.
std::optional<std::vector<ReplySummary>> ReadReplySummaries(const QString& path,
                                                            const HistoryRange& range,
                                                            QString& error);

// `shown` (the replies of a range with an open end, oldest first) brought up to date with the
// replies recorded since: those captured from the millisecond of the last of `shown` on. Replies
// captured before `since` (null: none) are dropped. A reply recorded since with an older capture
// time appears only at the next whole read.
std::optional<std::vector<ReplySummary>> ReadNewerSummaries(const QString& path,
                                                            const std::vector<ReplySummary>& shown,
                                                            const QDateTime& since, QString& error);

// How many replies `range` holds; nullopt with the read error.
std::optional<qint64> CountReplies(const QString& path, const HistoryRange& range, QString& error);

namespace history_detail {
// ReadReplySummaries, which reads a range of at least kSplitLeast replies as two halves side by
// side (on two connections, split at the middle reply's capture time), splitting from
// `splitLeast` replies on instead.
inline constexpr qint64 kSplitLeast = 50'000;
std::optional<std::vector<ReplySummary>> ReadReplySummariesSplitFrom(const QString& path,
                                                                     const HistoryRange& range,
                                                                     qint64 splitLeast,
                                                                     QString& error);
}  // namespace history_detail

}  // namespace dorvex
