#include "history/history_range_choice.h"

namespace dorvex {

HistoryRange RangeOf(RangeChoice choice, const QDateTime& now, QDate from, QDate to) {
  switch (choice) {
    case RangeChoice::kLastDay:
      return {now.addDays(-1), {}};
    case RangeChoice::kLastWeek:
      return {now.addDays(-7), {}};
    case RangeChoice::kLastMonth:
      return {now.addMonths(-1), {}};
    case RangeChoice::kAll:
      return {};
    case RangeChoice::kDates:
      return {from.startOfDay(), to.addDays(1).startOfDay()};
  }
  return {};
}

}  // namespace dorvex
