#include "window/history/chart_data.h"

#include <utility>

namespace dorvex {

ChartData PrepareChart(std::vector<ChartSeries> series) {
  ChartData data{std::move(series), {}, 0, {}, {}};
  data.times = ReplyTimes(data.series);
  data.gapMs = GapThresholdMs(data.times);
  data.gaps = FindGaps(data.times, data.gapMs);
  if (!data.times.empty()) {
    const std::vector<qint64> midnights = LocalMidnights(data.times.front(), data.times.back());
    for (const ChartSeries& each : data.series) {
      data.days.push_back(DailyBuckets(each.points, midnights, data.gapMs));
    }
  }
  data.days.resize(data.series.size());
  return data;
}

}  // namespace dorvex
