#include "tools/dorvex-cli/cli_app.h"

#include <QBuffer>
#include <QLocale>
#include <optional>

#include "history/history_csv.h"
#include "history/history_export.h"
#include "history/history_recorder.h"
#include "tally/memory_fields.h"
#include "tally/reply_session.h"
#include "tools/dorvex-cli/cli_options.h"
#include "tools/dorvex-cli/interface_list.h"
#include "tools/dorvex-cli/payload_sources.h"
#include "tools/dorvex-cli/report_output.h"

namespace dorvex::cli {

namespace {

void PrintError(std::FILE* err, const QString& message) {
  const QByteArray line = (QStringLiteral("dorvex-cli: ") + message + u'\n').toUtf8();
  std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), err);
}

// A capture file's replies are committed to the history this many at a time: one commit per
// reply would spend most of an import waiting for the disk.
constexpr std::size_t kRepliesPerImportCommit = 1000;

int UsageFailure(std::FILE* err, const QString& message) {
  PrintError(err, message + QStringLiteral(" (see --help)"));
  return kExitUsage;
}

// --export-csv: "-" is `out`, written only once the whole CSV is read; a file is replaced in one
// step, never left half written.
bool ExportCsv(const HistoryOptions& options, std::FILE* out, QString& error) {
  const HistoryRange range{options.since, options.until};
  if (options.exportCsv == u"-") {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!WriteHistoryCsv(options.file, range, buffer, error)) return false;
    if (WriteAll(out, buffer.data())) return true;
    error = QStringLiteral("cannot write the CSV to standard output");
    return false;
  }
  CsvExportFailure failure;
  if (ExportHistoryCsvFile(options.file, range, options.exportCsv, failure)) return true;
  error = failure.target
              ? QStringLiteral("%1: cannot write: %2").arg(options.exportCsv, failure.reason)
              : failure.reason;
  return false;
}

}  // namespace

int RunCli(const QStringList& arguments, std::FILE* out, std::FILE* err) {
  UsageError usageError;
  const std::optional<CliOptions> options = ParseCliOptions(arguments, usageError);
  if (!options) return UsageFailure(err, usageError.message);
  if (options->help) {
    return WriteAll(out, UsageText().toUtf8()) ? kExitOk : kExitFailure;
  }
  if (options->version) {
    return WriteAll(out, QByteArrayLiteral("dorvex-cli " DORVEX_VERSION "\n")) ? kExitOk
                                                                               : kExitFailure;
  }

  if (options->capture.listInterfaces) return ListInterfaces(out, err);
  if (options->history.Exports()) {
    QString exportError;
    if (ExportCsv(options->history, out, exportError)) return kExitOk;
    PrintError(err, exportError);
    return kExitFailure;
  }

  const auto sources = MakePayloadSources(*options);
  if (sources.empty()) {
    return UsageFailure(err,
                        QStringLiteral("no PAYLOAD file, --read FILE or --interface NAME given"));
  }

  LoginTime::NumberClock clock;
  for (const auto& source : sources) {
    if (!clock.read) clock = source->LoginClock();
  }
  ReplySession session{LoginTime(std::move(clock))};
  MemoryFieldSet fields;
  const bool reportEveryReply = options->capture.ReportEveryReply();
  bool writeFailed = false;
  const auto writeReport = [&] {
    const QStringList lines = session.ReportOfLastReply(fields, options->report, QLocale::system());
    if (!WriteAll(out, EncodeReport(JoinReportLines(lines), options->encoding))) {
      writeFailed = true;
    }
  };
  std::optional<HistoryRecorder> recorder;
  if (options->history.Records()) {
    recorder.emplace(options->history.file, reportEveryReply ? 1 : kRepliesPerImportCommit);
  }
  // A live capture prints the report at every reply; other sources once, at the end. Without
  // either a history or a report per reply, nothing listens, and the session does not copy out
  // each reply's records.
  if (recorder || reportEveryReply) {
    QObject::connect(&session, &ReplySession::ReplyRecognised, [&](const RecognisedReply& reply) {
      if (recorder) recorder->Record(reply);
      if (reportEveryReply) writeReport();
    });
  }
  // The replies recorded so far are written (or said to be lost) however the run ends; unlike the
  // window, which retries, the run ends here.
  const auto historyWritten = [&] {
    if (!recorder || recorder->Flush()) return true;
    PrintError(err, recorder->LossText());
    return false;
  };
  const PayloadSink feed = [&](const std::uint8_t* data, std::int64_t length,
                               const PayloadOrigin& origin) {
    return session.Feed(data, length, origin);
  };
  for (const auto& source : sources) {
    SourceError sourceError;
    if (!source->Deliver(feed, sourceError)) {
      PrintError(err, sourceError.message);
      historyWritten();
      return kExitFailure;
    }
  }

  if (!reportEveryReply) writeReport();
  bool failed = !historyWritten();
  if (writeFailed) {
    PrintError(err, QStringLiteral("cannot write the report to standard output"));
    failed = true;
  }
  return failed ? kExitFailure : kExitOk;
}

}  // namespace dorvex::cli
