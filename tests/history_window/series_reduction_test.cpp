// Thinning a chart line to pixel columns: what is kept, in which order, at the edges of width.

#include <gtest/gtest.h>

#include <QPointF>
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

}  // namespace
}  // namespace dorvex
