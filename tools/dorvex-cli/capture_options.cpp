#include "capture_options.h"

#include "cli_options.h"

namespace dorvex::cli {

namespace {

bool NonEmpty(const char* option, const QString& value, UsageError& error) {
  if (!value.isEmpty()) return true;
  error.message = QStringLiteral("option '%1' needs a non-empty value").arg(option);
  return false;
}

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

}  // namespace

bool ApplyRead(CliOptions& options, const QString& value, UsageError& error) {
  options.capture.readFile = value;
  return NonEmpty("--read", value, error);
}

bool ApplyInterface(CliOptions& options, const QString& value, UsageError& error) {
  options.capture.interfaceName = value;
  return NonEmpty("--interface", value, error);
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
