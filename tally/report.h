#pragma once
// The report text: BuildResultString and FormatQtyLine.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include "tally/field_access.h"
#include "tally/totals.h"

namespace dorvex {

struct ReportOptions {
  bool expand = true;       // chkExpand: percentages and generation totals
  bool compatible = false;  // chkCompatible: no program tag, PVP line among the totals
};

// The report's lines (without line ends), read from the count fields at this moment.
// `locale` gives the short weekday name and the decimal separator.
QStringList BuildResultString(const FieldAccess& fields, const Totals& totals,
                              const QDateTime& loginTime, ReportOptions options,
                              const QLocale& locale = QLocale::system());

// label + " " + the shown count of `countText` ("(未計測)" for a count of -1).
QString FormatQtyLine(const QString& label, QStringView countText);

// The memo's text: every line, the last included, followed by CR LF.
QString JoinReportLines(const QStringList& lines);

}  // namespace dorvex
