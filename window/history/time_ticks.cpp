#include "window/history/time_ticks.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

namespace dorvex {

namespace {

enum class Unit { kMinute, kDay, kWeek, kMonth, kYear };

struct Step {
  Unit unit;
  int count;
  qint64 approxMs;  // for the quick estimate of the number of ticks
};

constexpr qint64 kMinuteMs = 60'000;
constexpr qint64 kDayMs = 1440 * kMinuteMs;

constexpr Step kSteps[] = {
    {Unit::kMinute, 1, kMinuteMs},         {Unit::kMinute, 2, 2 * kMinuteMs},
    {Unit::kMinute, 5, 5 * kMinuteMs},     {Unit::kMinute, 10, 10 * kMinuteMs},
    {Unit::kMinute, 15, 15 * kMinuteMs},   {Unit::kMinute, 30, 30 * kMinuteMs},
    {Unit::kMinute, 60, 60 * kMinuteMs},   {Unit::kMinute, 120, 120 * kMinuteMs},
    {Unit::kMinute, 180, 180 * kMinuteMs}, {Unit::kMinute, 360, 360 * kMinuteMs},
    {Unit::kMinute, 720, 720 * kMinuteMs}, {Unit::kDay, 1, kDayMs},
    {Unit::kDay, 2, 2 * kDayMs},           {Unit::kWeek, 1, 7 * kDayMs},
    {Unit::kMonth, 1, 30 * kDayMs},        {Unit::kMonth, 3, 91 * kDayMs},
    {Unit::kMonth, 6, 182 * kDayMs},       {Unit::kYear, 1, 365 * kDayMs},
    {Unit::kYear, 2, 730 * kDayMs},        {Unit::kYear, 5, 1826 * kDayMs},
    {Unit::kYear, 10, 3652 * kDayMs},      {Unit::kYear, 20, 7305 * kDayMs},
    {Unit::kYear, 50, 18262 * kDayMs},     {Unit::kYear, 100, 36525 * kDayMs},
};

// The first local midnight at or after `ms`.
QDate FirstWholeDay(qint64 ms) {
  const QDate day = QDateTime::fromMSecsSinceEpoch(ms).date();
  return day.startOfDay().toMSecsSinceEpoch() < ms ? day.addDays(1) : day;
}

// The tick times of `step` in [fromMs, toMs].
std::vector<QDateTime> TickTimes(const Step& step, qint64 fromMs, qint64 toMs) {
  std::vector<QDateTime> times;
  const auto add = [&](const QDateTime& time) {
    if (!time.isValid()) return true;
    const qint64 ms = time.toMSecsSinceEpoch();
    if (ms > toMs) return false;
    if (ms >= fromMs && (times.empty() || ms > times.back().toMSecsSinceEpoch())) {
      times.push_back(time);
    }
    return true;
  };
  const QDateTime from = QDateTime::fromMSecsSinceEpoch(fromMs);
  switch (step.unit) {
    case Unit::kMinute: {
      QDate day = from.date();
      const qint64 stepMs = step.count * kMinuteMs;
      qint64 ofDay = from.time().msecsSinceStartOfDay() / stepMs * stepMs;
      while (true) {
        if (ofDay >= kDayMs) {
          day = day.addDays(1);
          ofDay = 0;
        }
        if (!add(QDateTime(day, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ofDay))))) break;
        ofDay += stepMs;
      }
      break;
    }
    case Unit::kDay:
    case Unit::kWeek: {
      QDate day = FirstWholeDay(fromMs);
      if (step.unit == Unit::kWeek) day = day.addDays((8 - day.dayOfWeek()) % 7);
      if (step.unit == Unit::kDay) {
        day = day.addDays((step.count - day.toJulianDay() % step.count) % step.count);
      }
      const int days = step.unit == Unit::kWeek ? 7 : step.count;
      while (add(day.startOfDay())) day = day.addDays(days);
      break;
    }
    case Unit::kMonth:
    case Unit::kYear: {
      const int months = step.unit == Unit::kYear ? 12 * step.count : step.count;
      const QDate start = from.date();
      int index = start.year() * 12 + start.month() - 1;  // months since year 0
      index -= index % months;
      while (add(QDate(index / 12, index % 12 + 1, 1).startOfDay())) index += months;
      break;
    }
  }
  return times;
}

// The labels of `times`: clock times for steps within a day, with the date at midnights and on the
// first tick; dates; months; years. Dates carry the year when `withYear`, on the first and
// wherever the year changes.
QStringList Labels(const Step& step, const std::vector<QDateTime>& times, bool withYear) {
  QStringList labels;
  int yearShown = -1;
  const auto date = [&](const QDate& day) {
    const bool year = withYear && day.year() != yearShown;
    if (year) yearShown = day.year();
    return day.toString(year ? QStringLiteral("yyyy/MM/dd") : QStringLiteral("MM/dd"));
  };
  for (const QDateTime& time : times) {
    switch (step.unit) {
      case Unit::kMinute: {
        const QString clock = time.time().toString(QStringLiteral("HH:mm"));
        if (time.time() == QTime(0, 0)) {
          labels.append(date(time.date()));
        } else if (labels.isEmpty()) {
          labels.append(date(time.date()) + u' ' + clock);
        } else {
          labels.append(clock);
        }
        break;
      }
      case Unit::kDay:
      case Unit::kWeek:
        labels.append(date(time.date()));
        break;
      case Unit::kMonth:
        labels.append(time.date().toString(QStringLiteral("yyyy/MM")));
        break;
      case Unit::kYear:
        labels.append(time.date().toString(QStringLiteral("yyyy")));
        break;
    }
  }
  return labels;
}

}  // namespace

int TickLabelGap(const QFontMetrics& metrics) {
  return std::max(4, metrics.height() / 2);
}

std::vector<TimeTick> TimeTicks(qint64 fromMs, qint64 toMs, double width, double overhang,
                                const QFontMetrics& metrics, int currentYear) {
  if (toMs <= fromMs || width <= 0) return {};
  const int fromYear = QDateTime::fromMSecsSinceEpoch(fromMs).date().year();
  const bool withYear =
      fromYear != QDateTime::fromMSecsSinceEpoch(toMs).date().year() || fromYear != currentYear;
  const double gap = TickLabelGap(metrics);
  const double perMs = width / static_cast<double>(toMs - fromMs);
  const double narrowest = metrics.horizontalAdvance(QStringLiteral("0000")) + gap;
  for (const Step& step : kSteps) {
    if (static_cast<double>(step.approxMs) * perMs < narrowest) continue;  // far too many ticks
    const std::vector<QDateTime> times = TickTimes(step, fromMs, toMs);
    const QStringList labels = Labels(step, times, withYear);
    std::vector<TimeTick> ticks;
    bool fits = true;
    for (std::size_t i = 0; i < times.size() && fits; ++i) {
      TimeTick tick{times[i].toMSecsSinceEpoch(), 0, labels[static_cast<qsizetype>(i)], 0};
      tick.x = static_cast<double>(tick.ms - fromMs) * perMs;
      const double labelWidth = metrics.horizontalAdvance(tick.label);
      tick.labelLeft = std::clamp(tick.x - labelWidth / 2, -overhang,
                                  std::max(-overhang, width + overhang - labelWidth));
      fits = tick.labelLeft + labelWidth <= width + overhang &&
             (ticks.empty() ||
              ticks.back().labelLeft + metrics.horizontalAdvance(ticks.back().label) + gap <=
                  tick.labelLeft);
      ticks.push_back(std::move(tick));
    }
    if (fits) return ticks;
  }
  return {};
}

}  // namespace dorvex
