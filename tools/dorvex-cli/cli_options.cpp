#include "tools/dorvex-cli/cli_options.h"

#include <array>

#include "tools/dorvex-cli/capture_options.h"

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
constexpr std::array<OptionEntry, 11> kOptions{{
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
}};

const OptionEntry* FindOption(QStringView name) {
  for (const OptionEntry& entry : kOptions) {
    if (name == QLatin1StringView(entry.name)) return &entry;
  }
  return nullptr;
}

}  // namespace

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
  return options;
}

QString UsageText() {
  return QStringLiteral(
      "Usage: dorvex-cli [options] PAYLOAD...\n"
      "       dorvex-cli [options] --read FILE | --interface NAME | --list-interfaces\n"
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
      "Exit status: 0 on success, 1 when a payload cannot be read, 2 for usage errors.\n");
}

}  // namespace dorvex::cli
