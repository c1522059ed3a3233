#include "tally/update_cycle.h"

#include "tally/field_counts.h"
#include "tally/totals.h"

namespace dorvex {

QStringList RunUpdateCycle(const CountStore& store, FieldAccess& fields, const QDateTime& loginTime,
                           ReportOptions options, const QLocale& locale) {
  ShowCounts(store, fields);
  return BuildResultString(ReadFieldCounts(fields), loginTime, options, locale);
}

}  // namespace dorvex
