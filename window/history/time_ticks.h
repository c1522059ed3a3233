#pragma once
// The ticks of the history chart's time axis, in local time: on the natural boundaries of the
// finest step whose labels fit side by side (minutes, hours, midnights, Mondays, month starts,
// years), each label whole, the year shown where the range spans years or is not the current one.

#include <QFontMetrics>
#include <QString>
#include <QtGlobal>
#include <vector>

namespace dorvex {

struct TimeTick {
  qint64 ms = 0;  // the tick's time
  double x = 0;   // its position on the axis, 0 at fromMs
  QString label;
  double labelLeft = 0;  // the label's left edge on the axis: centred on x, kept within bounds
};

// The ticks of [fromMs, toMs] on an axis `width` pixels long whose labels may stand out by
// `overhang` pixels at either end. Labels in `metrics` are at least a half line apart; empty when
// no step fits. `currentYear`: the year that needs no mention when the whole range lies in it.
std::vector<TimeTick> TimeTicks(qint64 fromMs, qint64 toMs, double width, double overhang,
                                const QFontMetrics& metrics, int currentYear);

// The least room between neighbouring labels.
int TickLabelGap(const QFontMetrics& metrics);

}  // namespace dorvex
