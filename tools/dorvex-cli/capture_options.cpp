#include "tools/dorvex-cli/capture_options.h"

#include "tools/dorvex-cli/cli_options.h"

namespace dorvex::cli {

namespace {

bool PositiveCount(const char* option, const QString& value, std::optional<int>& out,
                   UsageError& error) {
  bool ok = false;
  const int count = value.toInt(&ok);
  if (!ok || count <= 0) {
    error.message =
        QStringLiteral("option '%1': '%2' is not a positive whole number").arg(option, value);
    return false;
  }
  out = count;
  return true;
}

// A capture file and a live adapter are two different runs.
bool OneCaptureSource(const CaptureOptions& capture, UsageError& error) {
  if (capture.readFile.isEmpty() || capture.interfaceName.isEmpty()) return true;
  error.message = QStringLiteral("options '--read' and '--interface' exclude each other");
  return false;
}

}  // namespace

bool ApplyRead(CliOptions& options, const QString& value, UsageError& error) {
  options.capture.readFile = value;
  return RequireNonEmpty("--read", value, error) && OneCaptureSource(options.capture, error);
}

bool ApplyInterface(CliOptions& options, const QString& value, UsageError& error) {
  options.capture.interfaceName = value;
  return RequireNonEmpty("--interface", value, error) && OneCaptureSource(options.capture, error);
}

bool ApplyFilter(CliOptions& options, const QString& value, UsageError&) {
  options.capture.filter = value;  // an empty filter accepts every packet
  return true;
}

bool ApplySeconds(CliOptions& options, const QString& value, UsageError& error) {
  return PositiveCount("--seconds", value, options.capture.seconds, error);
}

bool ApplyReplies(CliOptions& options, const QString& value, UsageError& error) {
  return PositiveCount("--replies", value, options.capture.replies, error);
}

bool ApplyListInterfaces(CliOptions& options, const QString&, UsageError&) {
  options.capture.listInterfaces = true;
  return true;
}

}  // namespace dorvex::cli
