#pragma once
// The history chart: one line per series over local time, each drawn thinned to the pixel columns
// of the plot area (ReduceToColumns) and thinned again whenever the plot area's width changes.

#include <QChartView>
#include <vector>

#include "window/history/chart_series.h"

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace dorvex {

class HistoryChartView : public QChartView {
 public:
  explicit HistoryChartView(QWidget* parent = nullptr);

  // Replaces every line; the axes span all of their points.
  void SetSeries(std::vector<ChartSeries> series);
  const std::vector<QLineSeries*>& Lines() const { return lines_; }

 private:
  void FitAxes();
  void DrawToPlotWidth();

  QDateTimeAxis* timeAxis_;
  QValueAxis* countAxis_;
  std::vector<ChartSeries> series_;  // every point, for thinning again
  std::vector<QLineSeries*> lines_;  // owned by the chart
  int drawnColumns_ = -1;
};

}  // namespace dorvex
