#pragma once
// The history chart, painted with QPainter: the series over local time, totals on the left count
// axis and worlds on the right one, stretches without replies shaded as gaps that no line
// crosses, long spans as daily bands. The legend hides and shows series by click; the wheel zooms
// the time axis around the cursor, a drag pans it (with Shift, or the right button, it zooms to
// the dragged span) and a double click shows everything again; hovering names the nearest reply
// and a click picks it.

#include <QPointF>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <vector>

class QPainter;

#include "window/history/chart_data.h"

namespace dorvex {

class HistoryChart : public QWidget {
  Q_OBJECT

 public:
  explicit HistoryChart(QWidget* parent = nullptr);

  // Replaces every series. The time axis shows all of them, or, when zoomed, stays where it was.
  void SetSeries(std::vector<ChartSeries> series);
  // The same with the series already prepared (PrepareChart).
  void SetData(ChartData prepared);
  const std::vector<ChartSeries>& Series() const { return series_; }
  // The chosen reply, marked on the chart by a vertical line; -1: none.
  void MarkReply(qint64 captureMs);
  // Names of the series hidden through the legend (kept for series that come back later).
  QStringList HiddenSeries() const { return hidden_; }
  void SetHiddenSeries(const QStringList& names);

  // The time axis' span, milliseconds since the epoch; and back to the whole of the series.
  double ViewFromMs() const { return viewFrom_; }
  double ViewToMs() const { return viewTo_; }
  void ResetView();
  // The rectangle the series are drawn in.
  QRect PlotArea() const;

 signals:
  void ReplyPicked(qint64 captureMs);  // a click: the capture time of the nearest reply
  void HiddenSeriesChanged();          // by a legend click or SetHiddenSeries

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  struct Frame;  // where everything goes at the current size, view and font
  struct Drawn;  // a series' shapes in the current view

  Frame Arrange() const;
  std::vector<Drawn> Shapes(int columns) const;
  bool DailyView(int columns) const;
  bool Shown(std::size_t index) const;
  double TimeAt(const Frame& frame, double x) const;
  void SetView(double fromMs, double toMs);
  void FullRange(double& fromMs, double& toMs) const;
  QString ReplyText(qint64 captureMs) const;
  QString LegendText(std::size_t index) const;  // the name, and whether it has no data
  void PaintLegend(QPainter& painter, const Frame& frame) const;
  void PaintAxes(QPainter& painter, const Frame& frame) const;
  void PaintSeries(QPainter& painter, const Frame& frame) const;
  void PaintMarks(QPainter& painter, const Frame& frame) const;

  std::vector<ChartSeries> series_;
  std::vector<std::vector<DayBucket>> days_;  // per series, for the daily bands
  std::vector<qint64> times_;                 // every reply's capture time
  std::vector<TimeGap> gaps_;
  qint64 gapMs_ = 0;
  QStringList hidden_;
  qint64 markMs_ = -1;
  double viewFrom_ = 0;
  double viewTo_ = 1;
  bool zoomed_ = false;

  // The press of a drag or click in progress.
  enum class Drag { kNone, kClick, kPan, kZoom };
  Drag drag_ = Drag::kNone;
  QPointF pressAt_;
  double pressFrom_ = 0;
  double pressTo_ = 0;
  double dragTo_ = 0;  // the x the zoom span reaches
};

}  // namespace dorvex
