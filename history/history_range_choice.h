#pragma once
// The time ranges the history window offers, relative to the moment it reads.

#include <QDate>
#include <QDateTime>

#include "history/history_read.h"

namespace dorvex {

enum class RangeChoice { kLastDay, kLastWeek, kLastMonth, kAll, kDates };

// The capture times of `choice` at `now`. For kDates, `from` and `to` are inclusive local dates:
// from the start of `from` to the start of the day after `to`.
HistoryRange RangeOf(RangeChoice choice, const QDateTime& now, QDate from, QDate to);

}  // namespace dorvex
