#include "tally/update_cycle.h"

#include "tally/totals.h"

namespace dorvex {

QStringList RunUpdateCycle(const CountStore& store, FieldAccess& fields, const QDateTime& loginTime,
                           ReportOptions options, const QLocale& locale) {
  ShowCounts(store, fields);
  const Totals totals = CalcTotals(fields);
  return BuildResultString(fields, totals, loginTime, options, locale);
}

}  // namespace dorvex
