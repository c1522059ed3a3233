#pragma once
// dorvex-cli's options for the count history: recording into it, and exporting it as CSV.

#include <QDateTime>
#include <QString>

namespace dorvex::cli {

struct HistoryOptions {
  QString file;       // --history FILE: records the replies of --read / --interface into FILE,
                      // or, with --export-csv, the history to export
  QString exportCsv;  // --export-csv OUT: the CSV of the history to OUT ("-": standard output)
  QDateTime since;    // --since DATE: first capture time exported (inclusive); null: open
  QDateTime until;    // --until DATE: capture time where the export ends (exclusive); null: open

  bool Exports() const { return !exportCsv.isEmpty(); }
  bool Records() const { return !file.isEmpty() && !Exports(); }
};

struct CliOptions;
struct UsageError;

// Option appliers for the option table of cli_options.cpp. --since and --until take an ISO 8601
// date (local midnight; --until then ends after that whole day) or date and time (local time
// unless it carries an offset or Z).
bool ApplyHistory(CliOptions& options, const QString& value, UsageError& error);
bool ApplyExportCsv(CliOptions& options, const QString& value, UsageError& error);
bool ApplySince(CliOptions& options, const QString& value, UsageError& error);
bool ApplyUntil(CliOptions& options, const QString& value, UsageError& error);

// The rules between the history options and the others, checked once all options are read.
bool CheckHistoryOptions(const CliOptions& options, UsageError& error);

}  // namespace dorvex::cli
