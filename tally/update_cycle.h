#pragma once
// The update cycle shared by the window and the headless tool: ShowCounts, CalcTotals, report.

#include <QStringList>

#include "tally/count_store.h"
#include "tally/field_access.h"
#include "tally/report.h"

namespace dorvex {

// Runs ShowCounts and CalcTotals on `fields`, then returns the report lines.
QStringList RunUpdateCycle(const CountStore& store, FieldAccess& fields, const QDateTime& loginTime,
                           ReportOptions options, const QLocale& locale = QLocale::system());

}  // namespace dorvex
