#pragma once
// Command-line options of dorvex-cli.

#include <QString>
#include <QStringList>
#include <optional>

#include "tally/report.h"
#include "tools/dorvex-cli/capture_options.h"
#include "tools/dorvex-cli/history_options.h"

namespace dorvex::cli {

enum class OutputEncoding { kUtf8, kCp932 };

struct CliOptions {
  ReportOptions report;  // Expand on and Compatible off, as at a first start
  OutputEncoding encoding = OutputEncoding::kUtf8;
  bool help = false;
  bool version = false;
  QStringList payloadFiles;  // operands: one TCP payload per file, in order
  CaptureOptions capture;    // --read, --interface and their options
  HistoryOptions history;    // --history, --export-csv and its range
};

// A usage error: the message names the option or operand and says what is wrong.
struct UsageError {
  QString message;
};

// For option appliers: false with `error` set when `value` of `option` is empty.
bool RequireNonEmpty(const char* option, const QString& value, UsageError& error);

// Parses the arguments after the program name. "--" ends the options; "--name=value" and
// "--name value" are both accepted for options that take a value.
std::optional<CliOptions> ParseCliOptions(const QStringList& arguments, UsageError& error);

// The text that --help prints.
QString UsageText();

}  // namespace dorvex::cli
