#include "window/history/history_chart.h"

#include <QVBoxLayout>

#include "window/history/history_chart_view.h"

namespace dorvex {

HistoryChart::HistoryChart(QWidget* parent) : QWidget(parent), view_(new HistoryChartView) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
}

void HistoryChart::SetSeries(std::vector<ChartSeries> series) {
  view_->SetSeries(std::move(series));
}

void HistoryChart::MarkReply(qint64) {}

void HistoryChart::SetHiddenSeries(const QStringList& names) {
  if (names == hidden_) return;
  hidden_ = names;
  emit HiddenSeriesChanged();
}

}  // namespace dorvex
