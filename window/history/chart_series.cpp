#include "window/history/chart_series.h"

#include "tally/world_table.h"

namespace dorvex {

namespace {

// The line of `value` over every summary; a kNotMeasured value leaves no point. A template, not a
// std::function: it is called once per reply and line.
template <typename Value>
ChartSeries LineOf(QString name, const std::vector<ReplySummary>& summaries, const Value& value,
                   bool world = false) {
  ChartSeries series{std::move(name), {}, world};
  series.points.reserve(summaries.size());
  for (const ReplySummary& summary : summaries) {
    const std::int64_t y = value(summary);
    if (y == kNotMeasured) continue;
    series.points.emplace_back(static_cast<qreal>(summary.captureMs), static_cast<qreal>(y));
  }
  return series;
}

}  // namespace

std::vector<ChartSeries> BuildChartSeries(const std::vector<ReplySummary>& summaries,
                                          const std::vector<std::size_t>& worldIndexes) {
  std::vector<ChartSeries> lines;
  lines.push_back(LineOf(QStringLiteral("Total"), summaries,
                         [](const ReplySummary& s) { return s.totals.grand; }));
  for (std::size_t group = 0; group < 4; ++group) {
    lines.push_back(LineOf(QStringLiteral("WorldGroup %1").arg(group + 1), summaries,
                           [group](const ReplySummary& s) { return s.totals.group[group]; }));
  }
  lines.push_back(LineOf(
      QStringLiteral("WorldGroup PVP"), summaries,
      [](const ReplySummary& s) { return std::int64_t{PvpCount(s)}; }, true));
  const auto worlds = WorldStringTable();
  for (const std::size_t index : worldIndexes) {
    if (index >= kWorldTableSize || index >= worlds.size()) continue;
    lines.push_back(LineOf(
        worlds[index].name, summaries,
        [index](const ReplySummary& s) { return std::int64_t{s.worlds[index]}; }, true));
  }
  return lines;
}

}  // namespace dorvex
