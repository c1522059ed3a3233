#pragma once
// dorvex-cli's options for captured traffic: a capture file, a live adapter, the adapter list.

#include <QString>
#include <optional>

#include "capture/capture_filter.h"

namespace dorvex::cli {

struct CaptureOptions {
  QString readFile;               // --read FILE: a pcap or pcapng file
  QString interfaceName;          // --interface NAME: live capture on that adapter
  std::optional<QString> filter;  // --filter EXPR; kGameTrafficFilter when absent
  std::optional<int> seconds;     // --seconds N: end a live capture after N seconds
  std::optional<int> replies;     // --replies N: end a live capture after N world list replies
  bool listInterfaces = false;    // --list-interfaces

  QString Filter() const { return filter.value_or(QString::fromLatin1(kGameTrafficFilter)); }
  // A live capture prints the report after every world list reply instead of once at the end.
  bool ReportEveryReply() const { return !interfaceName.isEmpty(); }
};

struct CliOptions;
struct UsageError;

// Option appliers for the option table of cli_options.cpp: false with `error` set when the value
// is not acceptable.
bool ApplyRead(CliOptions& options, const QString& value, UsageError& error);
bool ApplyInterface(CliOptions& options, const QString& value, UsageError& error);
bool ApplyFilter(CliOptions& options, const QString& value, UsageError& error);
bool ApplySeconds(CliOptions& options, const QString& value, UsageError& error);
bool ApplyReplies(CliOptions& options, const QString& value, UsageError& error);
bool ApplyListInterfaces(CliOptions& options, const QString& value, UsageError& error);

}  // namespace dorvex::cli
