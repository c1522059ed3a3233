#pragma once
// Thinning a line to the pixels that draw it: per pixel column the first, lowest, highest and last
// point, in time order, so that the drawn line keeps every peak and every step of the full line.

#include <QPointF>
#include <span>
#include <vector>

namespace dorvex {

// `points` sorted by x (time). Their x range is cut into `columns` equal columns (at least one);
// each column keeps its first, lowest, highest and last point (the first of equal ones), in the
// order of `points`. With no more points than columns every point is kept.
std::vector<QPointF> ReduceToColumns(std::span<const QPointF> points, int columns);

}  // namespace dorvex
