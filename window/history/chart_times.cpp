#include "window/history/chart_times.h"

#include <algorithm>
#include <iterator>

namespace dorvex {

std::vector<qint64> ReplyTimes(std::span<const ChartSeries> series) {
  std::vector<qint64> times;
  std::vector<qint64> merged;
  std::vector<qint64> own;
  for (const ChartSeries& each : series) {
    own.clear();
    own.reserve(each.points.size());
    for (const QPointF& point : each.points) own.push_back(static_cast<qint64>(point.x()));
    // Mostly every line has a point at every reply: nothing to merge.
    if (std::includes(times.begin(), times.end(), own.begin(), own.end())) continue;
    merged.clear();
    merged.reserve(times.size() + own.size());
    std::set_union(times.begin(), times.end(), own.begin(), own.end(), std::back_inserter(merged));
    merged.erase(std::unique(merged.begin(), merged.end()), merged.end());
    times.swap(merged);
  }
  return times;
}

qint64 GapThresholdMs(std::span<const qint64> times) {
  constexpr qint64 kLeastMs = 30 * 60'000;
  if (times.size() < 2) return kLeastMs;
  std::vector<qint64> spacings;
  spacings.reserve(times.size() - 1);
  for (std::size_t i = 1; i < times.size(); ++i) spacings.push_back(times[i] - times[i - 1]);
  const auto middle = spacings.begin() + static_cast<std::ptrdiff_t>(spacings.size() / 2);
  std::nth_element(spacings.begin(), middle, spacings.end());
  return std::max(kLeastMs, 4 * *middle);
}

std::vector<TimeGap> FindGaps(std::span<const qint64> times, qint64 thresholdMs) {
  std::vector<TimeGap> gaps;
  for (std::size_t i = 1; i < times.size(); ++i) {
    if (times[i] - times[i - 1] > thresholdMs) gaps.push_back({times[i - 1], times[i]});
  }
  return gaps;
}

qint64 NearestTime(std::span<const qint64> times, qint64 ms) {
  const auto after = std::lower_bound(times.begin(), times.end(), ms);
  if (after == times.begin()) return *after;
  if (after == times.end()) return times.back();
  const qint64 before = *std::prev(after);
  return ms - before <= *after - ms ? before : *after;
}

}  // namespace dorvex
