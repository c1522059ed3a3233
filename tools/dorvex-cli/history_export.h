#pragma once
// dorvex-cli --export-csv: the count history as CSV, without a window.

#include <QString>
#include <cstdio>

#include "tools/dorvex-cli/history_options.h"

namespace dorvex::cli {

// Writes the CSV of the replies of options.file captured in [since, until) to options.exportCsv:
// "-" is `out`, written only once the whole CSV is read; a file is replaced in one step, never
// left half written. False with `error` naming the file and the reason.
bool ExportHistoryCsv(const HistoryOptions& options, std::FILE* out, QString& error);

}  // namespace dorvex::cli
