#include "tools/dorvex-cli/cli_options.h"

#include <array>

#include "tools/dorvex-cli/capture_options.h"
#include "tools/dorvex-cli/history_options.h"

namespace dorvex::cli {

namespace {

struct OptionEntry {
  const char* name;
  bool takesValue;
  // Applies the option; false with `error` set when its value is not acceptable.
  bool (*apply)(CliOptions& options, const QString& value, UsageError& error);
};

bool ApplyEncoding(CliOptions& options, const QString& value, UsageError& error) {
  const QString name = value.toLower();
  if (name == u"utf-8" || name == u"utf8") {
    options.encoding = OutputEncoding::kUtf8;
  } else if (name == u"cp932" || name == u"shift_jis" || name == u"sjis") {
    options.encoding = OutputEncoding::kCp932;
  } else {
    error.message =
        QStringLiteral("option '--encoding': unknown encoding '%1' (use utf-8 or cp932)")
            .arg(value);
    return false;
  }
  return true;
}

bool ApplyNoExpand(CliOptions& options, const QString&, UsageError&) {
  options.report.expand = false;
  return true;
}

bool ApplyCompatible(CliOptions& options, const QString&, UsageError&) {
  options.report.compatible = true;
  return true;
}

bool ApplyHelp(CliOptions& options, const QString&, UsageError&) {
  options.help = true;
  return true;
}

bool ApplyVersion(CliOptions& options, const QString&, UsageError&) {
  options.version = true;
  return true;
}

// Options of further payload sources are added to this table.
constexpr std::array<OptionEntry, 15> kOptions{{
    {"--no-expand", false, ApplyNoExpand},
    {"--compatible", false, ApplyCompatible},
    {"--help", false, ApplyHelp},
    {"--version", false, ApplyVersion},
    {"--encoding", true, ApplyEncoding},
    {"--read", true, ApplyRead},
    {"--interface", true, ApplyInterface},
    {"--filter", true, ApplyFilter},
    {"--seconds", true, ApplySeconds},
    {"--replies", true, ApplyReplies},
    {"--list-interfaces", false, ApplyListInterfaces},
    {"--history", true, ApplyHistory},
    {"--export-csv", true, ApplyExportCsv},
    {"--since", true, ApplySince},
    {"--until", true, ApplyUntil},
}};

const OptionEntry* FindOption(QStringView name) {
  for (const OptionEntry& entry : kOptions) {
    if (name == QLatin1StringView(entry.name)) return &entry;
  }
  return nullptr;
}

}  // namespace

bool RequireNonEmpty(const char* option, const QString& value, UsageError& error) {
  if (!value.isEmpty()) return true;
  error.message = QStringLiteral("option '%1' needs a non-empty value").arg(option);
  return false;
}

std::optional<CliOptions> ParseCliOptions(const QStringList& arguments, UsageError& error) {
  CliOptions options;
  bool optionsEnded = false;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
      options.payloadFiles.append(argument);
      continue;
    }
    if (argument == u"--") {
      optionsEnded = true;
      continue;
    }
    const qsizetype equals = argument.indexOf(u'=');
    const QString name = equals < 0 ? argument : argument.left(equals);
    const OptionEntry* entry = FindOption(name);
    if (entry == nullptr) {
      error.message = QStringLiteral("unknown option '%1'").arg(name);
      return std::nullopt;
    }
    QString value;
    if (entry->takesValue) {
      if (equals >= 0) {
        value = argument.mid(equals + 1);
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        error.message = QStringLiteral("option '%1' needs a value").arg(name);
        return std::nullopt;
      }
    } else if (equals >= 0) {
      error.message = QStringLiteral("option '%1' takes no value").arg(name);
      return std::nullopt;
    }
    if (!entry->apply(options, value, error)) return std::nullopt;
  }
  if (!options.help && !options.version && !CheckHistoryOptions(options, error)) {
    return std::nullopt;
  }
  return options;
}

QString UsageText() {
  return QStringLiteral(
      "Usage: dorvex-cli [options] PAYLOAD...\n"
      "       dorvex-cli [options] --read FILE | --interface NAME | --list-interfaces\n"
      "       dorvex-cli --export-csv OUT --history FILE [--since DATE] [--until DATE]\n"
      "Feeds each PAYLOAD file, in order, to the world list reader as one TCP payload and writes\n"
      "the report as the window would show it after them (CR LF line ends).\n"
      "\n"
      "Options:\n"
      "  --no-expand         no percentages and no generation totals\n"
      "  --compatible        no program tag; the PVP line among the totals\n"
      "  --encoding NAME     utf-8 (default) or cp932 (Shift_JIS bytes)\n"
      "  --help              show this text\n"
      "  --version           show the program's version\n"
      "\n"
      "Captured traffic (world list replies on TCP port 6900):\n"
      "  --read FILE         the TCP payloads of a pcap or pcapng file; the login time is each\n"
      "                      frame's capture time\n"
      "  --interface NAME    live capture on adapter NAME; prints the report after every reply\n"
      "  --seconds N         end the live capture after N seconds\n"
      "  --replies N         end the live capture after N world list replies\n"
      "  --filter EXPR       capture filter instead of 'tcp port 6900'\n"
      "  --list-interfaces   list the capture adapters: index, name, description, and\n"
      "                      '(default route)' on the adapter of the default route\n"
      "\n"
      "Count history (an SQLite file):\n"
      "  --history FILE      with --read or --interface: also record every world list reply\n"
      "                      in FILE (created when missing; replies are added to what it holds)\n"
      "                      with its capture time, login time, adapter and server\n"
      "  --export-csv OUT    with --history FILE alone: write FILE's replies as CSV to OUT\n"
      "                      ('-': standard output), one row per reply, oldest first\n"
      "  --since DATE        export only replies captured at DATE or later\n"
      "  --until DATE        export only replies captured before DATE; a date alone includes\n"
      "                      that whole day\n"
      "  DATE is YYYY-MM-DD (local midnight) or YYYY-MM-DDThh:mm[:ss] (local time), optionally\n"
      "  followed by Z or an offset such as +09:00.\n"
      "\n"
      "Exit status: 0 on success, 1 when a payload cannot be read or the history cannot be\n"
      "written or read, 2 for usage errors.\n");
}

}  // namespace dorvex::cli
