#include "window/history/history_chart.h"

#include <QApplication>
#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

#include "window/history/count_scale.h"
#include "window/history/time_ticks.h"

namespace dorvex {

namespace {

// Series colours in series order: the grand total dark and wider, then ten easily told apart.
constexpr QRgb kLineColors[] = {0x202020, 0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd,
                                0x8c564b, 0xe377c2, 0x7f7f7f, 0xbcbd22, 0x17becf};
constexpr QRgb kGapColor = 0xe4e4e4;
constexpr QRgb kGapTextColor = 0x909090;
constexpr QRgb kGridColor = 0xececec;
constexpr QRgb kMarkColor = 0xc00060;

constexpr qint64 kHourMs = 3'600'000;
constexpr double kLeastSpanMs = 60'000;  // the deepest zoom: a minute
// Daily bands once more than three days are shown with more replies than three per pixel column.
constexpr double kDailyFromMs = 3 * 24 * kHourMs;
constexpr double kRepliesPerColumn = 3;

QColor SeriesColor(std::size_t index) {
  const std::size_t colors = std::size(kLineColors);
  return QColor::fromRgb(kLineColors[index < colors ? index : 1 + (index - 1) % (colors - 1)]);
}

double PenWidth(std::size_t index) {
  return index == 0 ? 2.0 : 1.5;
}

QString CountText(double count) {
  return QString::number(static_cast<qint64>(std::llround(count)));
}

}  // namespace

struct HistoryChart::Drawn {
  std::vector<std::vector<QPointF>> lines;
  std::vector<DailyBand> bands;
  double highest = 0;
};

struct HistoryChart::Frame {
  QRect plot;
  std::vector<QRect> legend;  // per series
  QRect rightCaption;         // "Right axis:" before the worlds' entries
  QRect reset;                // the reset button, when zoomed
  CountScale left;
  CountScale right;
  bool rightAxis = false;
  std::vector<Drawn> drawn;
  std::vector<TimeTick> ticks;

  double X(double ms, double from, double to) const {
    return plot.left() + (ms - from) / (to - from) * plot.width();
  }
  double Y(double count, const CountScale& scale) const {
    return plot.bottom() + 1 - count / scale.top * plot.height();
  }
};

HistoryChart::HistoryChart(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setMinimumSize(200, 150);
  setAutoFillBackground(false);
  ResetView();
}

void HistoryChart::SetSeries(std::vector<ChartSeries> series) {
  SetData(PrepareChart(std::move(series)));
}

void HistoryChart::SetData(ChartData prepared) {
  series_ = std::move(prepared.series);
  times_ = std::move(prepared.times);
  gapMs_ = prepared.gapMs;
  gaps_ = std::move(prepared.gaps);
  days_ = std::move(prepared.days);
  if (zoomed_) {
    SetView(viewFrom_, viewTo_);
  } else {
    ResetView();
  }
  update();
}

void HistoryChart::MarkReply(qint64 captureMs) {
  markMs_ = captureMs;
  update();
}

void HistoryChart::SetHiddenSeries(const QStringList& names) {
  if (names == hidden_) return;
  hidden_ = names;
  update();
  emit HiddenSeriesChanged();
}

void HistoryChart::ResetView() {
  FullRange(viewFrom_, viewTo_);
  zoomed_ = false;
  update();
}

// From the first reply to the last (an hour either side of a single one, the last day when
// there is none).
void HistoryChart::FullRange(double& fromMs, double& toMs) const {
  if (times_.empty()) {
    toMs = static_cast<double>(QDateTime::currentMSecsSinceEpoch());
    fromMs = toMs - 24.0 * kHourMs;
  } else if (times_.front() == times_.back()) {
    fromMs = static_cast<double>(times_.front() - kHourMs);
    toMs = static_cast<double>(times_.back() + kHourMs);
  } else {
    fromMs = static_cast<double>(times_.front());
    toMs = static_cast<double>(times_.back());
  }
}

// The view [fromMs, toMs], at least a minute long and moved inside the full range.
void HistoryChart::SetView(double fromMs, double toMs) {
  double first = 0;
  double last = 0;
  FullRange(first, last);
  const double span = std::clamp(toMs - fromMs, std::min(kLeastSpanMs, last - first), last - first);
  const double from = std::clamp(fromMs, first, last - span);
  viewFrom_ = from;
  viewTo_ = from + span;
  zoomed_ = viewFrom_ > first || viewTo_ < last;
  update();
}

bool HistoryChart::Shown(std::size_t index) const {
  return !hidden_.contains(series_[index].name);
}

bool HistoryChart::DailyView(int columns) const {
  if (viewTo_ - viewFrom_ <= kDailyFromMs) return false;
  const auto first =
      std::lower_bound(times_.begin(), times_.end(), viewFrom_,
                       [](qint64 ms, double from) { return static_cast<double>(ms) < from; });
  const auto last = std::upper_bound(first, times_.end(), viewTo_, [](double to, qint64 ms) {
    return to < static_cast<double>(ms);
  });
  return static_cast<double>(last - first) > kRepliesPerColumn * columns;
}

std::vector<HistoryChart::Drawn> HistoryChart::Shapes(int columns) const {
  const bool daily = DailyView(columns);
  std::vector<Drawn> drawn(series_.size());
  for (std::size_t i = 0; i < series_.size(); ++i) {
    if (!Shown(i)) continue;
    Drawn& shape = drawn[i];
    if (daily) {
      shape.bands = BandPieces(days_[i], viewFrom_, viewTo_, columns);
      for (const DailyBand& band : shape.bands) {
        for (const QPointF& peak : band.peaks) shape.highest = std::max(shape.highest, peak.y());
      }
    } else {
      shape.lines = LinePieces(series_[i].points, viewFrom_, viewTo_, columns, gapMs_);
      for (const auto& line : shape.lines) {
        for (const QPointF& point : line) shape.highest = std::max(shape.highest, point.y());
      }
    }
  }
  return drawn;
}

// Top to bottom: the legend, the plot between the count axes, the time axis' labels.
HistoryChart::Frame HistoryChart::Arrange() const {
  Frame frame;
  const QFontMetrics metrics = fontMetrics();
  const int line = metrics.height();
  const int pad = std::max(4, line / 3);
  const int swatch = 2 * line;
  const int space = metrics.horizontalAdvance(u' ');

  // The legend: totals first, then the worlds after their axis' caption, wrapped to the width.
  int x = pad;
  int y = pad;
  const auto place = [&](int width) {
    if (x > pad && x + width > this->width() - pad) {
      x = pad;
      y += line;
    }
    const QRect rect(x, y, width, line);
    x += width + 2 * space;
    return rect;
  };
  frame.legend.resize(series_.size());
  for (const bool worlds : {false, true}) {
    bool first = true;
    for (std::size_t i = 0; i < series_.size(); ++i) {
      if (series_[i].world != worlds) continue;
      if (worlds && first) {
        frame.rightCaption = place(metrics.horizontalAdvance(tr("Right axis:")));
      }
      first = false;
      const QString text = LegendText(i);
      frame.legend[i] = place(swatch + space + metrics.horizontalAdvance(text));
    }
  }
  const int top = y + line + pad;

  frame.drawn = Shapes(std::max(1, width()));
  double leftHigh = 0;
  double rightHigh = 0;
  for (std::size_t i = 0; i < series_.size(); ++i) {
    double& high = series_[i].world ? rightHigh : leftHigh;
    high = std::max(high, frame.drawn[i].highest);
    const bool hasPoints = !frame.drawn[i].lines.empty() || !frame.drawn[i].bands.empty();
    if (series_[i].world && hasPoints) frame.rightAxis = true;
  }
  const int bottom = height() - pad - line - pad / 2;
  const int steps = std::max(1, (bottom - top) / (2 * line));
  frame.left = RoundCountScale(leftHigh * 1.02, steps);
  frame.right = RoundCountScale(rightHigh * 1.02, steps);
  const int leftWidth = metrics.horizontalAdvance(CountText(frame.left.top)) + 2 * pad;
  const int rightWidth =
      frame.rightAxis ? metrics.horizontalAdvance(CountText(frame.right.top)) + 2 * pad : 2 * pad;
  frame.plot = QRect(QPoint(leftWidth, top), QPoint(width() - rightWidth - 1, bottom - 1));
  if (frame.plot.width() < 2 || frame.plot.height() < 2) return frame;

  frame.ticks =
      TimeTicks(static_cast<qint64>(viewFrom_), static_cast<qint64>(viewTo_), frame.plot.width(),
                std::min(leftWidth, rightWidth) - 1.0, metrics, QDate::currentDate().year());
  if (zoomed_) {
    const QString reset = tr("Show all");
    const int resetWidth = metrics.horizontalAdvance(reset) + 2 * pad;
    frame.reset = QRect(frame.plot.right() - resetWidth - pad, frame.plot.top() + pad, resetWidth,
                        line + pad);
  }
  return frame;
}

QRect HistoryChart::PlotArea() const {
  return Arrange().plot;
}

QString HistoryChart::LegendText(std::size_t index) const {
  return series_[index].name + (series_[index].points.empty() ? tr(" (no data)") : QString());
}

void HistoryChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  const Frame frame = Arrange();
  PaintLegend(painter, frame);
  if (frame.plot.width() < 2 || frame.plot.height() < 2) return;
  PaintAxes(painter, frame);
  PaintSeries(painter, frame);
  PaintMarks(painter, frame);
}

void HistoryChart::PaintLegend(QPainter& painter, const Frame& frame) const {
  const QFontMetrics metrics = fontMetrics();
  const QColor text = palette().color(QPalette::Text);
  const QColor faint = palette().color(QPalette::Disabled, QPalette::Text);
  const int swatch = 2 * metrics.height();
  painter.setPen(text);
  if (frame.rightCaption.isValid()) {
    painter.drawText(frame.rightCaption, Qt::AlignLeft | Qt::AlignVCenter, tr("Right axis:"));
  }
  for (std::size_t i = 0; i < series_.size(); ++i) {
    const QRect entry = frame.legend[i];
    const int middle = entry.center().y();
    const bool shown = Shown(i);
    painter.setPen(QPen(shown ? SeriesColor(i) : faint, shown ? PenWidth(i) + 1 : 1,
                        shown ? Qt::SolidLine : Qt::DotLine));
    painter.drawLine(entry.left(), middle, entry.left() + swatch - 4, middle);
    painter.setPen(shown ? text : faint);
    painter.drawText(entry.adjusted(swatch + metrics.horizontalAdvance(u' '), 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter, LegendText(i));
  }
}

// The gaps' shading, the grid, the plot's frame and the axes' labels.
void HistoryChart::PaintAxes(QPainter& painter, const Frame& frame) const {
  const QRect& plot = frame.plot;
  const QFontMetrics metrics = fontMetrics();
  const auto x = [&](double ms) { return frame.X(ms, viewFrom_, viewTo_); };
  painter.save();
  painter.setClipRect(plot);
  for (const TimeGap& gap : gaps_) {
    const QRectF band(QPointF(x(static_cast<double>(gap.fromMs)), plot.top()),
                      QPointF(x(static_cast<double>(gap.toMs)), plot.bottom() + 1));
    if (band.right() < plot.left() || band.left() > plot.right()) continue;
    painter.fillRect(band, QColor::fromRgb(kGapColor));
    const QString noData = tr("no data");
    if (band.width() > metrics.horizontalAdvance(noData) + 8) {
      painter.setPen(QColor::fromRgb(kGapTextColor));
      painter.drawText(band, Qt::AlignCenter, noData);
    }
  }
  painter.restore();
  painter.setPen(QColor::fromRgb(kGridColor));
  for (double count = frame.left.step; count <= frame.left.top; count += frame.left.step) {
    const double y = frame.Y(count, frame.left);
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
  }
  for (const TimeTick& tick : frame.ticks) {
    painter.drawLine(QPointF(plot.left() + tick.x, plot.top()),
                     QPointF(plot.left() + tick.x, plot.bottom()));
  }
  painter.setPen(palette().color(QPalette::Text));
  painter.drawRect(plot.adjusted(0, 0, -1, -1));
  const int pad = std::max(4, metrics.height() / 3);
  const int labelTop = plot.bottom() + pad / 2;
  for (const TimeTick& tick : frame.ticks) {
    painter.drawLine(QPointF(plot.left() + tick.x, plot.bottom()),
                     QPointF(plot.left() + tick.x, plot.bottom() + pad / 2));
    painter.drawText(QPointF(plot.left() + tick.labelLeft, labelTop + metrics.ascent()),
                     tick.label);
  }
  const auto countLabels = [&](const CountScale& scale, bool right) {
    for (double count = 0; count <= scale.top; count += scale.step) {
      const QString label = CountText(count);
      const double y = frame.Y(count, scale) + metrics.ascent() / 2.0 - 1;
      const double left =
          right ? plot.right() + pad : plot.left() - pad - metrics.horizontalAdvance(label);
      painter.drawText(QPointF(left, y), label);
    }
  };
  countLabels(frame.left, false);
  if (frame.rightAxis) countLabels(frame.right, true);
}

// Bands under lines, the total last so that it stays on top.
void HistoryChart::PaintSeries(QPainter& painter, const Frame& frame) const {
  const auto x = [&](double ms) { return frame.X(ms, viewFrom_, viewTo_); };
  painter.save();
  painter.setClipRect(frame.plot);
  painter.setRenderHint(QPainter::Antialiasing);
  for (std::size_t n = series_.size(); n-- > 0;) {
    const CountScale& scale = series_[n].world ? frame.right : frame.left;
    const auto at = [&](const QPointF& point) {
      return QPointF(x(point.x()), frame.Y(point.y(), scale));
    };
    const QColor color = SeriesColor(n);
    for (const DailyBand& band : frame.drawn[n].bands) {
      QPolygonF outline;
      for (const QPointF& peak : band.peaks) outline.append(at(peak));
      for (auto low = band.lows.rbegin(); low != band.lows.rend(); ++low) outline.append(at(*low));
      QColor fill = color;
      fill.setAlpha(60);
      painter.setPen(Qt::NoPen);
      painter.setBrush(fill);
      // A year's band zigzags day by day: filled with antialiasing, and its peaks stroked wider
      // than a pixel (Qt's general stroker), six bands took ~30 ms a paint; without, and along
      // one-pixel peaks (the fast path), ~5 ms. The peak line hides the fill's rough edge.
      painter.setRenderHint(QPainter::Antialiasing, false);
      painter.drawPolygon(outline);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setBrush(Qt::NoBrush);
      painter.setPen(QPen(color, 1.0));
      QPolygonF peaks;
      for (const QPointF& peak : band.peaks) peaks.append(at(peak));
      painter.drawPolyline(peaks);
    }
    painter.setPen(QPen(color, PenWidth(n), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const std::vector<QPointF>& line : frame.drawn[n].lines) {
      QPolygonF drawn;
      for (const QPointF& point : line) drawn.append(at(point));
      if (drawn.size() == 1) {
        painter.setBrush(color);
        painter.drawEllipse(drawn.front(), 1.5, 1.5);
        painter.setBrush(Qt::NoBrush);
      } else {
        painter.drawPolyline(drawn);
      }
    }
  }
  painter.restore();
}

// The chosen reply, a zoom span being dragged, the reset button, the note of an empty range.
void HistoryChart::PaintMarks(QPainter& painter, const Frame& frame) const {
  const QRect& plot = frame.plot;
  const auto x = [&](double ms) { return frame.X(ms, viewFrom_, viewTo_); };
  painter.save();
  painter.setClipRect(plot);
  if (markMs_ >= 0) {
    painter.setPen(QPen(QColor::fromRgb(kMarkColor), 1.5, Qt::DashLine));
    const double at = x(static_cast<double>(markMs_));
    painter.drawLine(QPointF(at, plot.top()), QPointF(at, plot.bottom()));
  }
  if (drag_ == Drag::kZoom) {
    QColor span = palette().color(QPalette::Highlight);
    span.setAlpha(50);
    painter.fillRect(QRectF(QPointF(pressAt_.x(), plot.top()), QPointF(dragTo_, plot.bottom())),
                     span);
  }
  painter.restore();
  if (frame.reset.isValid()) {
    painter.setPen(palette().color(QPalette::Text));
    painter.setBrush(palette().button());
    painter.drawRoundedRect(frame.reset, 3, 3);
    painter.drawText(frame.reset, Qt::AlignCenter, tr("Show all"));
  }
  if (times_.empty()) {
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(plot, Qt::AlignCenter, tr("No replies in this range"));
  }
}

double HistoryChart::TimeAt(const Frame& frame, double x) const {
  return viewFrom_ + (x - frame.plot.left()) / frame.plot.width() * (viewTo_ - viewFrom_);
}

// The reply's local time and the count of each shown series that has it.
QString HistoryChart::ReplyText(qint64 captureMs) const {
  QStringList lines{
      QDateTime::fromMSecsSinceEpoch(captureMs).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))};
  const auto ms = static_cast<double>(captureMs);
  for (std::size_t i = 0; i < series_.size(); ++i) {
    if (!Shown(i)) continue;
    const std::vector<QPointF>& points = series_[i].points;
    const auto found =
        std::lower_bound(points.begin(), points.end(), ms,
                         [](const QPointF& point, double t) { return point.x() < t; });
    if (found != points.end() && found->x() == ms) {
      lines.append(QStringLiteral("%1: %2").arg(series_[i].name, CountText(found->y())));
    }
  }
  return lines.join(u'\n');
}

void HistoryChart::mousePressEvent(QMouseEvent* event) {
  const Frame frame = Arrange();
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    if (frame.reset.contains(at)) {
      ResetView();
      return;
    }
    for (std::size_t i = 0; i < frame.legend.size(); ++i) {
      if (!frame.legend[i].contains(at)) continue;
      QStringList hidden = hidden_;
      if (!hidden.removeAll(series_[i].name)) hidden.append(series_[i].name);
      SetHiddenSeries(hidden);
      return;
    }
  }
  if (!frame.plot.contains(at)) return;
  pressAt_ = event->position();
  dragTo_ = pressAt_.x();
  pressFrom_ = viewFrom_;
  pressTo_ = viewTo_;
  const bool zoom = event->button() == Qt::RightButton ||
                    (event->button() == Qt::LeftButton && event->modifiers() & Qt::ShiftModifier);
  drag_ = zoom ? Drag::kZoom : event->button() == Qt::LeftButton ? Drag::kClick : Drag::kNone;
}

void HistoryChart::mouseMoveEvent(QMouseEvent* event) {
  const Frame frame = Arrange();
  const QPointF at = event->position();
  if (drag_ == Drag::kClick &&
      (at - pressAt_).manhattanLength() >= QApplication::startDragDistance()) {
    drag_ = Drag::kPan;
  }
  if (drag_ == Drag::kPan) {
    const double shift = (at.x() - pressAt_.x()) / frame.plot.width() * (pressTo_ - pressFrom_);
    SetView(pressFrom_ - shift, pressTo_ - shift);
  } else if (drag_ == Drag::kZoom) {
    dragTo_ = std::clamp(at.x(), static_cast<double>(frame.plot.left()),
                         static_cast<double>(frame.plot.right()));
    update();
  } else if (frame.plot.contains(at.toPoint()) && !times_.empty()) {
    const qint64 nearest = NearestTime(times_, std::llround(TimeAt(frame, at.x())));
    QToolTip::showText(event->globalPosition().toPoint(), ReplyText(nearest), this);
  } else {
    QToolTip::hideText();
  }
}

void HistoryChart::mouseReleaseEvent(QMouseEvent* event) {
  const Frame frame = Arrange();
  const Drag drag = std::exchange(drag_, Drag::kNone);
  if (drag == Drag::kClick && !times_.empty()) {
    emit ReplyPicked(NearestTime(times_, std::llround(TimeAt(frame, event->position().x()))));
  } else if (drag == Drag::kZoom) {
    const double from = TimeAt(frame, std::min(pressAt_.x(), dragTo_));
    const double to = TimeAt(frame, std::max(pressAt_.x(), dragTo_));
    if (std::abs(dragTo_ - pressAt_.x()) >= 3) SetView(from, to);
    update();
  }
}

void HistoryChart::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && Arrange().plot.contains(event->position().toPoint())) {
    ResetView();
  }
}

// Each notch zooms by a fifth, around the time under the cursor.
void HistoryChart::wheelEvent(QWheelEvent* event) {
  const Frame frame = Arrange();
  if (!frame.plot.contains(event->position().toPoint())) return;
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0) return;
  const double factor = std::pow(0.8, notches);
  const double pivot = TimeAt(frame, event->position().x());
  SetView(pivot - (pivot - viewFrom_) * factor, pivot + (viewTo_ - pivot) * factor);
  event->accept();
}

}  // namespace dorvex
