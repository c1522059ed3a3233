#include "window/history/chart_data.h"

#include <utility>

#include "common/parallel_work.h"

namespace dorvex {

ChartData PrepareChart(std::vector<ChartSeries> series) {
  ChartData data{std::move(series), {}, 0, {}, {}};
  data.times = ReplyTimes(data.series);
  data.gapMs = GapThresholdMs(data.times);
  data.gaps = FindGaps(data.times, data.gapMs);
  data.days.resize(data.series.size());
  if (!data.times.empty()) {
    const std::vector<qint64> midnights = LocalMidnights(data.times.front(), data.times.back());
    RunInParallel(data.series.size(), [&](std::size_t i) {
      data.days[i] = DailyBuckets(data.series[i].points, midnights, data.gapMs);
    });
  }
  return data;
}

}  // namespace dorvex
