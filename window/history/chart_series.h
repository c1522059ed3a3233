#pragma once
// The lines of the history chart: the grand total, the group totals, PVP and chosen worlds, each
// point at its reply's capture time (milliseconds since the epoch).

#include <QPointF>
#include <QString>
#include <vector>

#include "history/reply_summary.h"

namespace dorvex {

struct ChartSeries {
  QString name;
  std::vector<QPointF> points;  // sorted by time
  bool world = false;           // a single world's count (drawn on the worlds' axis), not a total
};

// "Total", "WorldGroup 1".."WorldGroup 4", "WorldGroup PVP", then one line per index of
// `worldIndexes` (into the world table) named after its world. A world line, PVP's included,
// has points only for the replies that carried the world, and is marked a world.
std::vector<ChartSeries> BuildChartSeries(const std::vector<ReplySummary>& summaries,
                                          const std::vector<std::size_t>& worldIndexes);

}  // namespace dorvex
