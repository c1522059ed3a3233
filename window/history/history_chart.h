#pragma once
// Stand-in for the history chart widget until it lands (replaced at merge): its API, drawn by
// HistoryChartView; the legend hides nothing and clicks pick nothing.

#include <QStringList>
#include <QWidget>
#include <vector>

#include "window/history/chart_series.h"

namespace dorvex {

class HistoryChartView;

class HistoryChart : public QWidget {
  Q_OBJECT

 public:
  explicit HistoryChart(QWidget* parent = nullptr);

  void SetSeries(std::vector<ChartSeries> series);
  void MarkReply(qint64 captureMs);  // the chosen reply, marked on the chart; -1: none
  QStringList HiddenSeries() const { return hidden_; }
  void SetHiddenSeries(const QStringList& names);

 signals:
  void ReplyPicked(qint64 captureMs);  // a click: the nearest reply's capture time
  void HiddenSeriesChanged();

 private:
  HistoryChartView* view_;
  QStringList hidden_;
};

}  // namespace dorvex
