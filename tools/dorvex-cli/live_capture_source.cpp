#include "tools/dorvex-cli/live_capture_source.h"

#include <pcap/pcap.h>

#include <QCoreApplication>
#include <QTimer>
#include <optional>

#include "capture/capture_failure.h"
#include "capture/capture_filter.h"
#include "capture/capture_library.h"
#include "capture/snoop_tcp_data.h"
#include "tools/dorvex-cli/interrupt_catcher.h"

namespace dorvex::cli {

namespace {

QString OpenFailureMessage(const QString& adapter, const TCustomSnoop& snoop) {
  if (snoop.LastFailure() == capture_helper::kExitPermission) {
    return QStringLiteral("%1: capture not permitted (%2): run as root, or %3")
        .arg(adapter, snoop.LastError(), QLatin1String(kCaptureRightsHint));
  }
  return QStringLiteral("%1: cannot capture: %2").arg(adapter, snoop.LastError());
}

}  // namespace

bool LiveCaptureSource::Deliver(const PayloadSink& sink, SourceError& error) {
  static int argc = 1;
  static char programName[] = "dorvex-cli";
  static char* argv[] = {programName, nullptr};
  std::optional<QCoreApplication> application;
  if (!QCoreApplication::instance()) application.emplace(argc, argv);

  const QString& adapter = options_.interfaceName;
  if (const std::string problem = CaptureLibraryProblem(); !problem.empty()) {
    error.message =
        QStringLiteral("%1: cannot capture: %2").arg(adapter, QString::fromStdString(problem));
    return false;
  }
  QString shown;
  TSnoopTCPData snoop(nullptr, [&shown](const QString& text) { shown = text; });
  if (!snoop.AdapterNames().contains(adapter)) {
    error.message =
        shown.isEmpty()
            ? QStringLiteral("%1: no such capture adapter (see --list-interfaces)").arg(adapter)
            : QStringLiteral("cannot list the capture adapters: %1").arg(shown);
    return false;
  }
  const QString filter = options_.Filter();
  if (const std::optional<QString> filterError = CheckFilter(filter)) {
    error.message = QStringLiteral("filter '%1' does not compile: %2").arg(filter, *filterError);
    return false;
  }

  snoop.setObjectName(QStringLiteral("SnoopTCPData"));
  snoop.SetFilter(filter);
  snoop.SetAdapterName(adapter);
  int replies = 0;
  QObject::connect(&snoop, &TSnoopTCPData::TCPPayloadCaptured,
                   [&](const QByteArray& payload, const QDateTime& captureTime,
                       quint32 sourceAddress, quint16 sourcePort) {
                     const auto* data = reinterpret_cast<const std::uint8_t*>(payload.constData());
                     const PayloadOrigin origin{PayloadOrigin::CaptureMsOf(captureTime),
                                                sourceAddress, sourcePort, adapter};
                     if (sink(data, payload.size(), origin) && options_.replies &&
                         ++replies >= *options_.replies) {
                       QCoreApplication::quit();
                     }
                   });
  std::optional<QString> endReason;  // set when the capture ends by itself
  QObject::connect(&snoop, &TCustomSnoop::CaptureEnded, [&endReason](const QString& reason) {
    endReason = reason;
    QCoreApplication::quit();
  });

  const InterruptCatcher interruptCatcher([] { QCoreApplication::quit(); });
  snoop.Open();
  if (!snoop.Active()) {
    error.message = OpenFailureMessage(adapter, snoop);
    return false;
  }
  if (options_.seconds)
    QTimer::singleShot(*options_.seconds * 1000, [] { QCoreApplication::quit(); });
  QCoreApplication::exec();

  snoop.Close();
  if (endReason) {
    error.message = QStringLiteral("%1: the capture ended: %2").arg(adapter, *endReason);
    return false;
  }
  return true;
}

}  // namespace dorvex::cli
