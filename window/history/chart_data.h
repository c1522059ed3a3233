#pragma once
// What the history chart shows, made from its series once (off the GUI thread for a large
// range): the series, every reply's capture time, the gaps between replies, and each series'
// daily buckets for the daily bands.

#include <QtGlobal>
#include <vector>

#include "window/history/chart_series.h"
#include "window/history/chart_shapes.h"
#include "window/history/chart_times.h"

namespace dorvex {

struct ChartData {
  std::vector<ChartSeries> series;
  std::vector<qint64> times;  // ReplyTimes of the series
  qint64 gapMs = 0;           // GapThresholdMs of the times
  std::vector<TimeGap> gaps;
  std::vector<std::vector<DayBucket>> days;  // per series
};

ChartData PrepareChart(std::vector<ChartSeries> series);

}  // namespace dorvex
