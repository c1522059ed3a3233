#include "tools/dorvex-cli/cli_app.h"

#include <QLocale>
#include <optional>

#include "tools/dorvex-cli/cli_options.h"
#include "tools/dorvex-cli/history_export.h"
#include "tools/dorvex-cli/history_recorder.h"
#include "tools/dorvex-cli/interface_list.h"
#include "tools/dorvex-cli/payload_sources.h"
#include "tools/dorvex-cli/report_output.h"
#include "tools/dorvex-cli/report_session.h"

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
    if (ExportHistoryCsv(options->history, out, exportError)) return kExitOk;
    PrintError(err, exportError);
    return kExitFailure;
  }

  const auto sources = MakePayloadSources(*options);
  if (sources.empty()) {
    return UsageFailure(err,
                        QStringLiteral("no PAYLOAD file, --read FILE or --interface NAME given"));
  }

  LoginTime::Clock clock;
  for (const auto& source : sources) {
    if (!clock) clock = source->LoginClock();
  }
  ReportSession session(options->report, QLocale::system(), std::move(clock));
  const bool reportEveryReply = options->capture.ReportEveryReply();
  bool writeFailed = false;
  const auto writeReport = [&] {
    const QByteArray bytes = EncodeReport(JoinReportLines(session.Report()), options->encoding);
    if (!WriteAll(out, bytes)) writeFailed = true;
  };
  std::optional<HistoryRecorder> recorder;
  if (options->history.Records()) {
    recorder.emplace(options->history.file, reportEveryReply ? 1 : kRepliesPerImportCommit);
  }
  // The replies recorded so far are written (or said to be lost) however the run ends.
  const auto historyWritten = [&] {
    QString historyError;
    if (!recorder || recorder->Finish(historyError)) return true;
    PrintError(err, historyError);
    return false;
  };
  // A live capture prints the report at every reply; other sources once, at the end.
  const PayloadSink feed = [&](const std::uint8_t* data, std::int64_t length,
                               const PayloadOrigin& origin) {
    const bool reply = session.Feed(data, length);
    if (reply && recorder) recorder->Record(origin, session);
    if (reply && reportEveryReply) writeReport();
    return reply;
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
