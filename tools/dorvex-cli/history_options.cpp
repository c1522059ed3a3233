#include "tools/dorvex-cli/history_options.h"

#include <optional>

#include "tools/dorvex-cli/cli_options.h"

namespace dorvex::cli {

namespace {

// A date alone is local midnight of that day, or of the next day with `endOfDay`; a date and
// time without an offset is local time.
std::optional<QDateTime> ParseDate(const QString& text, bool endOfDay) {
  if (text.size() == 10) {
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid()) return std::nullopt;
    return QDateTime(endOfDay ? date.addDays(1) : date, QTime(0, 0), Qt::LocalTime);
  }
  if (!text.contains(u'T')) return std::nullopt;
  const QDateTime time = QDateTime::fromString(text, Qt::ISODate);
  if (!time.isValid()) return std::nullopt;
  return time;
}

bool ApplyDate(const char* option, const QString& value, bool endOfDay, QDateTime& out,
               UsageError& error) {
  const std::optional<QDateTime> time = ParseDate(value, endOfDay);
  if (!time) {
    error.message = QStringLiteral(
                        "option '%1': '%2' is not an ISO 8601 date (YYYY-MM-DD) or date and time "
                        "(YYYY-MM-DDThh:mm[:ss][+hh:mm])")
                        .arg(option, value);
    return false;
  }
  out = *time;
  return true;
}

// The source option that a run given to --export-csv must not have, or empty.
QString SourceOption(const CliOptions& options) {
  if (!options.capture.readFile.isEmpty()) return QStringLiteral("--read");
  if (!options.capture.interfaceName.isEmpty()) return QStringLiteral("--interface");
  if (!options.payloadFiles.isEmpty()) return QStringLiteral("PAYLOAD operands");
  return {};
}

bool Fail(UsageError& error, const QString& message) {
  error.message = message;
  return false;
}

}  // namespace

bool ApplyHistory(CliOptions& options, const QString& value, UsageError& error) {
  options.history.file = value;
  return RequireNonEmpty("--history", value, error);
}

bool ApplyExportCsv(CliOptions& options, const QString& value, UsageError& error) {
  options.history.exportCsv = value;
  return RequireNonEmpty("--export-csv", value, error);
}

bool ApplySince(CliOptions& options, const QString& value, UsageError& error) {
  return ApplyDate("--since", value, false, options.history.since, error);
}

bool ApplyUntil(CliOptions& options, const QString& value, UsageError& error) {
  return ApplyDate("--until", value, true, options.history.until, error);
}

bool CheckHistoryOptions(const CliOptions& options, UsageError& error) {
  const HistoryOptions& history = options.history;
  if (!history.Exports()) {
    if (!history.since.isNull() || !history.until.isNull()) {
      return Fail(error, QStringLiteral("option '%1' selects the rows of --export-csv; it needs "
                                        "--export-csv OUT")
                             .arg(history.since.isNull() ? "--until" : "--since"));
    }
    if (!history.file.isEmpty() && !options.payloadFiles.isEmpty()) {
      return Fail(error, QStringLiteral("option '--history' records --read or --interface only: "
                                        "PAYLOAD files carry no capture time and no server"));
    }
    return true;
  }
  if (history.file.isEmpty()) {
    return Fail(error, QStringLiteral("option '--export-csv' needs --history FILE, the history to "
                                      "export"));
  }
  if (const QString source = SourceOption(options); !source.isEmpty()) {
    return Fail(error, QStringLiteral("option '--export-csv' cannot be combined with %1: record "
                                      "with --history first, then export in a second run")
                           .arg(source));
  }
  if (!history.since.isNull() && !history.until.isNull() && history.since > history.until) {
    return Fail(error,
                QStringLiteral("option '--since' is after '--until': %1 > %2")
                    .arg(history.since.toString(Qt::ISODate), history.until.toString(Qt::ISODate)));
  }
  return true;
}

}  // namespace dorvex::cli
