#include "window/history/chart_series.h"

#include "common/parallel_work.h"
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

// Where a line takes its values from: the grand total, a group total, or a world's count (PVP's
// included).
struct LineSource {
  enum class Kind { kGrand, kGroup, kWorld } kind;
  std::size_t index = 0;
  QString name;
};

ChartSeries LineFrom(const LineSource& source, const std::vector<ReplySummary>& summaries) {
  switch (source.kind) {
    case LineSource::Kind::kGrand:
      return LineOf(source.name, summaries, [](const ReplySummary& s) { return s.totals.grand; });
    case LineSource::Kind::kGroup:
      return LineOf(source.name, summaries, [group = source.index](const ReplySummary& s) {
        return s.totals.group[group];
      });
    case LineSource::Kind::kWorld:
      break;
  }
  return LineOf(
      source.name, summaries,
      [world = source.index](const ReplySummary& s) { return std::int64_t{s.worlds[world]}; },
      true);
}

}  // namespace

// The lines are made side by side: over a year each is half a million points.
std::vector<ChartSeries> BuildChartSeries(const std::vector<ReplySummary>& summaries,
                                          const std::vector<std::size_t>& worldIndexes) {
  std::vector<LineSource> sources;
  sources.push_back({LineSource::Kind::kGrand, 0, QStringLiteral("Total")});
  for (std::size_t group = 0; group < 4; ++group) {
    sources.push_back(
        {LineSource::Kind::kGroup, group, QStringLiteral("WorldGroup %1").arg(group + 1)});
  }
  sources.push_back({LineSource::Kind::kWorld, PvpWorldIndex(), QStringLiteral("WorldGroup PVP")});
  const auto worlds = WorldStringTable();
  for (const std::size_t index : worldIndexes) {
    if (index >= kWorldTableSize || index >= worlds.size()) continue;
    sources.push_back({LineSource::Kind::kWorld, index, worlds[index].name});
  }
  std::vector<ChartSeries> lines(sources.size());
  RunInParallel(sources.size(), [&](std::size_t i) { lines[i] = LineFrom(sources[i], summaries); });
  return lines;
}

}  // namespace dorvex
