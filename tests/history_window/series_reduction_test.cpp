// Thinning a chart line to pixel columns: what is kept, in which order, at the edges of width.

#include <gtest/gtest.h>

#include <QPointF>
#include <algorithm>
#include <cmath>
#include <vector>

#include "window/history/series_reduction.h"

namespace dorvex {
namespace {

std::vector<QPointF> Line(const std::vector<double>& ys) {
  std::vector<QPointF> points;
  for (std::size_t i = 0; i < ys.size(); ++i) points.emplace_back(static_cast<double>(i), ys[i]);
  return points;
}

TEST(SeriesReductionTest, KeepsFirstLowHighLastPerColumn) {
  struct Case {
    const char* what;
    std::vector<QPointF> points;
    int columns;
    std::vector<QPointF> kept;
  };
  const Case cases[] = {
      {"empty", {}, 10, {}},
      {"empty at width 0", {}, 0, {}},
      {"fewer points than columns", Line({3, 1, 2}), 10, Line({3, 1, 2})},
      {"as many points as columns", Line({3, 1, 2}), 3, Line({3, 1, 2})},
      {"width 1: first, low, high, last in time order",
       Line({5, 9, 2, 7, 1, 4}),
       1,
       {{0, 5}, {1, 9}, {4, 1}, {5, 4}}},
      {"width 0 counts as one column",
       Line({5, 9, 2, 7, 1, 4}),
       0,
       {{0, 5}, {1, 9}, {4, 1}, {5, 4}}},
      {"negative width counts as one column",
       Line({5, 9, 2, 7, 1, 4}),
       -3,
       {{0, 5}, {1, 9}, {4, 1}, {5, 4}}},
      // x 0..5 fall in the first column, 6..11 in the second.
      {"two columns",
       Line({3, 7, 1, 4, 4, 2, 6, 6, 9, 0, 5, 5}),
       2,
       {{0, 3}, {1, 7}, {2, 1}, {5, 2}, {6, 6}, {8, 9}, {9, 0}, {11, 5}}},
      {"first of equal extremes, each point once", Line({4, 4, 4, 4, 4}), 1, {{0, 4}, {4, 4}}},
      {"every point at one moment",
       {{7, 1}, {7, 5}, {7, 0}, {7, 3}, {7, 2}},
       3,
       {{7, 1}, {7, 5}, {7, 0}, {7, 2}}},
      {"uneven times: an empty column in between",
       {{0, 1}, {1, 8}, {2, 3}, {100, 6}, {101, 2}, {102, 9}, {103, 4}},
       4,
       {{0, 1}, {1, 8}, {2, 3}, {100, 6}, {101, 2}, {102, 9}, {103, 4}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReduceToColumns(c.points, c.columns), c.kept) << c.what;
  }
}

// A long noisy line with one spike and one dip: the drawn line keeps both, its ends, its time
// order, and no more than four points per column.
TEST(SeriesReductionTest, LongLineKeepsPeaksEndsAndOrder) {
  std::vector<QPointF> points;
  for (int i = 0; i < 100'000; ++i) {
    const double y = 1000 + 50 * std::sin(i / 300.0) + (i * 7919 % 13);
    points.emplace_back(1.7e12 + i * 6000.0, y);
  }
  points[31'337].setY(5000);
  points[77'777].setY(3);
  for (const int columns : {1, 2, 640, 1920}) {
    const std::vector<QPointF> kept = ReduceToColumns(points, columns);
    EXPECT_LE(kept.size(), static_cast<std::size_t>(columns) * 4) << columns;
    EXPECT_EQ(kept.front(), points.front()) << columns;
    EXPECT_EQ(kept.back(), points.back()) << columns;
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end(), [](const QPointF& a, const QPointF& b) {
      return a.x() < b.x();
    })) << columns;
    EXPECT_NE(std::find(kept.begin(), kept.end(), points[31'337]), kept.end()) << columns;
    EXPECT_NE(std::find(kept.begin(), kept.end(), points[77'777]), kept.end()) << columns;
    // Every kept point is one of the line's, in the line's order.
    auto next = points.begin();
    for (const QPointF& point : kept) next = std::find(next, points.end(), point);
    EXPECT_NE(next, points.end()) << columns;
  }
}

}  // namespace
}  // namespace dorvex
