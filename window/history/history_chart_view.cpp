#include "window/history/history_chart_view.h"

#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "window/history/series_reduction.h"

namespace dorvex {

namespace {

// Line colours in series order: the grand total dark and wider, then ten easily told apart.
constexpr QRgb kLineColors[] = {0x202020, 0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd,
                                0x8c564b, 0xe377c2, 0x7f7f7f, 0xbcbd22, 0x17becf};

QPen LinePen(std::size_t index) {
  const std::size_t colors = std::size(kLineColors);
  const std::size_t color = index < colors ? index : 1 + (index - 1) % (colors - 1);
  return QPen(QColor::fromRgb(kLineColors[color]), index == 0 ? 2.0 : 1.5);
}

}  // namespace

HistoryChartView::HistoryChartView(QWidget* parent)
    : QChartView(new QChart, parent), timeAxis_(new QDateTimeAxis), countAxis_(new QValueAxis) {
  setRenderHint(QPainter::Antialiasing);
  chart()->legend()->setAlignment(Qt::AlignRight);
  chart()->setMargins(QMargins(4, 4, 4, 4));
  timeAxis_->setFormat(QStringLiteral("MM/dd hh:mm"));
  timeAxis_->setTickCount(7);
  countAxis_->setLabelFormat(QStringLiteral("%d"));
  chart()->addAxis(timeAxis_, Qt::AlignBottom);
  chart()->addAxis(countAxis_, Qt::AlignLeft);
  FitAxes();
  connect(chart(), &QChart::plotAreaChanged, this, [this] { DrawToPlotWidth(); });
}

void HistoryChartView::SetSeries(std::vector<ChartSeries> series) {
  chart()->removeAllSeries();
  lines_.clear();
  series_ = std::move(series);
  for (const ChartSeries& each : series_) {
    auto* line = new QLineSeries;
    line->setName(each.name);
    line->setPen(LinePen(lines_.size()));
    chart()->addSeries(line);
    line->attachAxis(timeAxis_);
    line->attachAxis(countAxis_);
    lines_.push_back(line);
  }
  FitAxes();
  drawnColumns_ = -1;
  DrawToPlotWidth();
}

// Time from the first to the last point (an hour either side of a single moment, the last day
// when there is none), counts from 0 to above the highest point.
void HistoryChartView::FitAxes() {
  double first = std::numeric_limits<double>::max();
  double last = std::numeric_limits<double>::lowest();
  double highest = 0;
  for (const ChartSeries& each : series_) {
    if (each.points.empty()) continue;
    first = std::min(first, each.points.front().x());
    last = std::max(last, each.points.back().x());
    for (const QPointF& point : each.points) highest = std::max(highest, point.y());
  }
  if (first > last) {
    const QDateTime now = QDateTime::currentDateTime();
    timeAxis_->setRange(now.addDays(-1), now);
  } else {
    constexpr qint64 kHourMs = 3'600'000;
    const auto start = static_cast<qint64>(first);
    const auto end = static_cast<qint64>(last);
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(start == end ? start - kHourMs : start),
                        QDateTime::fromMSecsSinceEpoch(start == end ? end + kHourMs : end));
  }
  countAxis_->setRange(0, std::max(10.0, std::ceil(highest * 1.05)));
  countAxis_->applyNiceNumbers();
}

void HistoryChartView::DrawToPlotWidth() {
  const int columns = static_cast<int>(std::ceil(chart()->plotArea().width()));
  if (columns == drawnColumns_) return;
  drawnColumns_ = columns;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::vector<QPointF> drawn = ReduceToColumns(series_[i].points, columns);
    lines_[i]->replace(QList<QPointF>(drawn.begin(), drawn.end()));
  }
}

}  // namespace dorvex
