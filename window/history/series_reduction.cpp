#include "window/history/series_reduction.h"

#include <algorithm>
#include <cmath>

namespace dorvex {

namespace {

// The indexes a column keeps: first, lowest, highest, last.
struct ColumnPick {
  std::size_t first = 0;
  std::size_t low = 0;
  std::size_t high = 0;
  std::size_t last = 0;
};

void AppendPick(std::span<const QPointF> points, const ColumnPick& pick,
                std::vector<QPointF>& out) {
  std::size_t kept[] = {pick.first, pick.low, pick.high, pick.last};
  std::sort(std::begin(kept), std::end(kept));
  const std::size_t* end = std::unique(std::begin(kept), std::end(kept));
  for (const std::size_t* index = std::begin(kept); index != end; ++index) {
    out.push_back(points[*index]);
  }
}

}  // namespace

std::vector<QPointF> ReduceToColumns(std::span<const QPointF> points, int columns) {
  const std::size_t columnCount = static_cast<std::size_t>(std::max(columns, 1));
  if (points.size() <= columnCount) return {points.begin(), points.end()};
  const double x0 = points.front().x();
  const double span = points.back().x() - x0;
  const auto columnOf = [&](const QPointF& point) {
    if (span <= 0) return std::size_t{0};
    const double column = std::floor((point.x() - x0) / span * static_cast<double>(columnCount));
    return std::min(static_cast<std::size_t>(std::max(column, 0.0)), columnCount - 1);
  };
  std::vector<QPointF> out;
  out.reserve(std::min(points.size(), columnCount * 4));
  ColumnPick pick;
  std::size_t column = columnOf(points[0]);
  for (std::size_t i = 1; i < points.size(); ++i) {
    const std::size_t next = columnOf(points[i]);
    if (next != column) {
      AppendPick(points, pick, out);
      pick = {i, i, i, i};
      column = next;
      continue;
    }
    if (points[i].y() < points[pick.low].y()) pick.low = i;
    if (points[i].y() > points[pick.high].y()) pick.high = i;
    pick.last = i;
  }
  AppendPick(points, pick, out);
  return out;
}

}  // namespace dorvex
