#pragma once
// The history as CSV (UTF-8, CR LF line ends, a header row). One row per reply: "time" (the local
// time the report showed, ISO 8601 with its UTC offset); one column per world of the world table,
// in its order, empty when the reply did not carry that world; "other": the summed counts of the
// reply's worlds that the table does not know (empty when there are none); then the report's
// totals "group 1".."group 4", "generation 1".."generation 5" and "total". The totals are the
// report's own: like the report's free row, they count only the last world the table does not
// know.

#include <QIODevice>
#include <QString>
#include <functional>

#include "history/history_read.h"

namespace dorvex {

QString HistoryCsvHeader();
QString HistoryCsvRow(const HistoryReply& reply);

// Writes the header and the rows of every reply of `path` in `range` to `out`, in large writes.
// `progress` gets the count of rows so far every kExportProgressStep rows, `written` (when given)
// the final count.
inline constexpr qint64 kExportProgressStep = 2000;
bool WriteHistoryCsv(const QString& path, const HistoryRange& range, QIODevice& out, QString& error,
                     const std::function<void(qint64)>& progress = {}, qint64* written = nullptr);

}  // namespace dorvex
