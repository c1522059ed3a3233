#pragma once
// Exporting a range of the history as a CSV file: the file is replaced in one step, never left
// half written.

#include <QString>
#include <functional>

#include "history/history_csv.h"
#include "history/history_read.h"

namespace dorvex {

struct CsvExportFailure {
  bool target = false;  // the CSV file could not be written (else: the history could not be read)
  QString reason;       // a read error names the history file
};

// Writes the CSV of `range` of the history `path` to the file `target`; false with `failure`.
bool ExportHistoryCsvFile(const QString& path, const HistoryRange& range, const QString& target,
                          CsvExportFailure& failure);
// As above, counting the replies written: `progress` gets the count so far every
// kExportProgressStep replies, `written` the final count.
bool ExportHistoryCsvFile(const QString& path, const HistoryRange& range, const QString& target,
                          CsvExportFailure& failure, const std::function<void(qint64)>& progress,
                          qint64& written);
}  // namespace dorvex
