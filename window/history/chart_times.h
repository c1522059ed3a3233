#pragma once
// The replies' capture times as the history chart uses them: the times of all series together,
// the stretches without replies that count as gaps, and the reply nearest to a moment.

#include <QtGlobal>
#include <span>
#include <vector>

#include "window/history/chart_series.h"

namespace dorvex {

// A stretch without replies: from the last reply before it to the first reply after it.
struct TimeGap {
  qint64 fromMs = 0;
  qint64 toMs = 0;
};

// Every capture time of any of `series`, sorted, each once.
std::vector<qint64> ReplyTimes(std::span<const ChartSeries> series);

// The spacing above which replies are apart by a gap: 30 minutes, or 4 times the median spacing
// of `times` (sorted) when that is longer.
qint64 GapThresholdMs(std::span<const qint64> times);

// The spacings of `times` (sorted) longer than `thresholdMs`.
std::vector<TimeGap> FindGaps(std::span<const qint64> times, qint64 thresholdMs);

// The time of `times` (sorted, not empty) nearest to `ms`; the earlier of two as near.
qint64 NearestTime(std::span<const qint64> times, qint64 ms);

}  // namespace dorvex
