#include "window/history/chart_shapes.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

#include "window/history/series_reduction.h"

namespace dorvex {

namespace {

// The index range of the items with `time` in [fromMs, toMs], widened by one on each side.
template <typename Item, typename Time>
std::span<const Item> Visible(std::span<const Item> items, double fromMs, double toMs, Time time) {
  const auto first = std::lower_bound(items.begin(), items.end(), fromMs,
                                      [&](const Item& item, double ms) { return time(item) < ms; });
  const auto last = std::upper_bound(items.begin(), items.end(), toMs,
                                     [&](double ms, const Item& item) { return ms < time(item); });
  const auto begin = first == items.begin() ? first : first - 1;
  const auto end = last == items.end() ? last : last + 1;
  return {begin, end};
}

// The pixel columns the stretch [first, last] covers out of `columns` over [fromMs, toMs].
int ColumnsOf(double first, double last, double fromMs, double toMs, int columns) {
  const double span = std::max(toMs - fromMs, 1.0);
  return std::max(1, static_cast<int>(std::ceil((last - first) / span * columns)));
}

}  // namespace

std::vector<std::vector<QPointF>> LinePieces(std::span<const QPointF> points, double fromMs,
                                             double toMs, int columns, qint64 gapMs) {
  const std::span<const QPointF> shown =
      Visible(points, fromMs, toMs, [](const QPointF& point) { return point.x(); });
  std::vector<std::vector<QPointF>> pieces;
  std::size_t start = 0;
  for (std::size_t i = 1; i <= shown.size(); ++i) {
    if (i < shown.size() && shown[i].x() - shown[i - 1].x() <= static_cast<double>(gapMs)) {
      continue;
    }
    const std::span<const QPointF> run = shown.subspan(start, i - start);
    pieces.push_back(
        ReduceToColumns(run, ColumnsOf(run.front().x(), run.back().x(), fromMs, toMs, columns)));
    start = i;
  }
  return pieces;
}

std::vector<qint64> LocalMidnights(qint64 fromMs, qint64 toMs) {
  std::vector<qint64> midnights;
  QDate day = QDateTime::fromMSecsSinceEpoch(fromMs).date();
  while (true) {
    const qint64 midnight = day.startOfDay().toMSecsSinceEpoch();
    midnights.push_back(midnight);
    if (midnight > toMs) break;
    day = day.addDays(1);
  }
  return midnights;
}

std::vector<DayBucket> DailyBuckets(std::span<const QPointF> points,
                                    std::span<const qint64> midnights, qint64 gapMs) {
  std::vector<DayBucket> buckets;
  auto nextMidnight = midnights.begin();
  double previous = 0;
  for (const QPointF& point : points) {
    bool newDay = false;
    while (nextMidnight != midnights.end() && static_cast<double>(*nextMidnight) <= point.x()) {
      ++nextMidnight;
      newDay = true;
    }
    const bool afterGap = !buckets.empty() && point.x() - previous > static_cast<double>(gapMs);
    if (buckets.empty() || newDay || afterGap) {
      buckets.push_back({point.x(), point.x(), point.y(), point.y(), afterGap});
    } else {
      DayBucket& bucket = buckets.back();
      bucket.lastMs = point.x();
      bucket.low = std::min(bucket.low, point.y());
      bucket.high = std::max(bucket.high, point.y());
    }
    previous = point.x();
  }
  return buckets;
}

std::vector<DailyBand> BandPieces(std::span<const DayBucket> buckets, double fromMs, double toMs,
                                  int columns) {
  const std::span<const DayBucket> shown =
      Visible(buckets, fromMs, toMs, [](const DayBucket& bucket) { return bucket.firstMs; });
  std::vector<DailyBand> bands;
  std::vector<QPointF> peaks;
  std::vector<QPointF> lows;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const DayBucket& bucket = shown[i];
    const bool ends = i + 1 == shown.size() || shown[i + 1].afterGap;
    if (peaks.empty() && ends) {  // a bucket on its own: as wide as its points
      peaks = {{bucket.firstMs, bucket.high}, {bucket.lastMs, bucket.high}};
      lows = {{bucket.firstMs, bucket.low}, {bucket.lastMs, bucket.low}};
    } else {
      const double middle = (bucket.firstMs + bucket.lastMs) / 2;
      peaks.emplace_back(middle, bucket.high);
      lows.emplace_back(middle, bucket.low);
    }
    if (!ends) continue;
    const int used = ColumnsOf(peaks.front().x(), peaks.back().x(), fromMs, toMs, columns);
    bands.push_back({ReduceToColumns(peaks, used), ReduceToColumns(lows, used)});
    peaks.clear();
    lows.clear();
  }
  return bands;
}

}  // namespace dorvex
