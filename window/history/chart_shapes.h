#pragma once
// What the history chart draws of a series, in data units (x: capture time in milliseconds, y:
// count), before it is mapped to pixels: lines broken at gaps and thinned to pixel columns, or,
// over long spans, a band per stretch of days from each day's lowest to its highest count.

#include <QPointF>
#include <QtGlobal>
#include <span>
#include <vector>

namespace dorvex {

// The points of `points` (sorted by time) that draw the time range [fromMs, toMs] over `columns`
// pixel columns, with the nearest point outside each end so that lines reach the edges: one
// polyline per stretch whose neighbouring points are at most `gapMs` apart, each thinned to the
// columns it covers (ReduceToColumns). A polyline may hold a single point.
std::vector<std::vector<QPointF>> LinePieces(std::span<const QPointF> points, double fromMs,
                                             double toMs, int columns, qint64 gapMs);

// The local midnights (milliseconds since the epoch) from the one that starts the day of
// `fromMs` to the first one after `toMs`.
std::vector<qint64> LocalMidnights(qint64 fromMs, qint64 toMs);

// The points of one local day, or of the part of it between gaps.
struct DayBucket {
  double firstMs = 0;
  double lastMs = 0;
  double low = 0;
  double high = 0;
  bool afterGap = false;  // more than the gap spacing after the previous bucket's last point
};

// `points` (sorted by time) bucketed by the local days that `midnights` (sorted, from
// LocalMidnights over the points) starts, a day cut again where neighbouring points are more
// than `gapMs` apart.
std::vector<DayBucket> DailyBuckets(std::span<const QPointF> points,
                                    std::span<const qint64> midnights, qint64 gapMs);

// A band over a stretch of buckets without gaps: the daily peaks at each bucket's middle time,
// and the daily lows at the same times.
struct DailyBand {
  std::vector<QPointF> peaks;
  std::vector<QPointF> lows;
};

// The bands of the buckets that draw [fromMs, toMs] (and the nearest bucket outside each end) over
// `columns` pixel columns, broken where a bucket follows a gap, each edge thinned to its columns.
std::vector<DailyBand> BandPieces(std::span<const DayBucket> buckets, double fromMs, double toMs,
                                  int columns);

}  // namespace dorvex
