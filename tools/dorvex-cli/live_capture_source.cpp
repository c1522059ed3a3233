#include "tools/dorvex-cli/live_capture_source.h"

#include <pcap/pcap.h>
#include <signal.h>

#include <QCoreApplication>
#include <QTimer>
#include <optional>

#include "capture/capture_failure.h"
#include "capture/capture_filter.h"
#include "capture/snoop_tcp_data.h"

namespace dorvex::cli {

namespace {

volatile sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
}

// Catches SIGINT and SIGTERM for its lifetime, so that the capture is closed properly.
class InterruptCatcher {
 public:
  InterruptCatcher() {
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
  }
  ~InterruptCatcher() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
  }

 private:
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
};

QString OpenFailureMessage(const QString& adapter, const QString& lastError) {
  if (IsPermissionFailure(lastError)) {
    return QStringLiteral(
               "%1: capture not permitted (%2): run as root, or grant the program the rights "
               "with 'setcap cap_net_raw,cap_net_admin+eip %3'")
        .arg(adapter, lastError, QCoreApplication::applicationFilePath());
  }
  return QStringLiteral("%1: cannot capture: %2").arg(adapter, lastError);
}

}  // namespace

bool LiveCaptureSource::Deliver(const PayloadSink& sink, SourceError& error) {
  static int argc = 1;
  static char programName[] = "dorvex-cli";
  static char* argv[] = {programName, nullptr};
  std::optional<QCoreApplication> application;
  if (!QCoreApplication::instance()) application.emplace(argc, argv);

  const QString& adapter = options_.interfaceName;
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
  snoop.OnCaptureTCPData = [&](QObject*, PPCAP_PKTHDR, PETHERNET_HDR, PIP_HDR, PTCP_HDR,
                               const std::uint8_t* data, std::int32_t length) {
    if (sink(data, length) && options_.replies && ++replies >= *options_.replies) {
      QCoreApplication::quit();
    }
  };

  const InterruptCatcher interruptCatcher;
  snoop.Open();
  if (!snoop.Active()) {
    error.message = OpenFailureMessage(adapter, snoop.LastError());
    return false;
  }
  QTimer watch;  // an interrupt, or a capture that ended by itself
  QObject::connect(&watch, &QTimer::timeout, [&snoop] {
    if (interrupted || !snoop.Active()) QCoreApplication::quit();
  });
  watch.start(100);
  if (options_.seconds)
    QTimer::singleShot(*options_.seconds * 1000, [] { QCoreApplication::quit(); });
  QCoreApplication::exec();

  const bool endedByItself = !snoop.Active();
  snoop.Close();
  if (endedByItself) {
    const QString reason = snoop.LastError().isEmpty()
                               ? QStringLiteral("a payload could not be handled")
                               : snoop.LastError();
    error.message = QStringLiteral("%1: the capture ended: %2").arg(adapter, reason);
    return false;
  }
  return true;
}

}  // namespace dorvex::cli
