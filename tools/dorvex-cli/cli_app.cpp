#include "tools/dorvex-cli/cli_app.h"

#include <QLocale>

#include "tools/dorvex-cli/cli_options.h"
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
  // A live capture prints the report at every reply; other sources once, at the end.
  const PayloadSink feed = [&](const std::uint8_t* data, std::int64_t length) {
    const bool reply = session.Feed(data, length);
    if (reply && reportEveryReply) writeReport();
    return reply;
  };
  for (const auto& source : sources) {
    SourceError sourceError;
    if (!source->Deliver(feed, sourceError)) {
      PrintError(err, sourceError.message);
      return kExitFailure;
    }
  }

  if (!reportEveryReply) writeReport();
  if (writeFailed) {
    PrintError(err, QStringLiteral("cannot write the report to standard output"));
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace dorvex::cli
