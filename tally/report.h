#pragma once
// The report text: BuildResultString and FormatQtyLine.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include "tally/field_counts.h"

namespace dorvex {

struct ReportOptions {
  bool expand = true;       // chkExpand: percentages and generation totals
  bool compatible = false;  // chkCompatible: no program tag, PVP line among the totals
};

// The report's lines (without line ends) of the count fields `counts`. `locale` gives the short
// weekday name and the decimal separator.
QStringList BuildResultString(const FieldCounts& counts, const QDateTime& loginTime,
                              ReportOptions options, const QLocale& locale = QLocale::system());

// label + " " + the shown count ("(未計測)" for a count of -1).
QString FormatQtyLine(QStringView label, std::int32_t count);

// The memo's text: every line, the last included, followed by CR LF.
QString JoinReportLines(const QStringList& lines);

}  // namespace dorvex
