#include "tools/dorvex-cli/interface_list.h"

#include "capture/capture_library.h"
#include "capture/default_route.h"
#include "capture/snoop_tcp_data.h"
#include "tools/dorvex-cli/cli_app.h"
#include "tools/dorvex-cli/report_output.h"

namespace dorvex::cli {

int ListInterfaces(std::FILE* out, std::FILE* err, const QString& routeFile) {
  QString failure = QString::fromStdString(CaptureLibraryProblem());
  const TSnoopTCPData snoop(nullptr, [&failure](const QString& text) { failure = text; });
  if (!failure.isEmpty()) {
    WriteAll(
        err,
        QStringLiteral("dorvex-cli: cannot list the capture adapters: %1\n").arg(failure).toUtf8());
    return kExitFailure;
  }
  const std::optional<QString> routeAdapter = DefaultRouteAdapter(routeFile);
  QString text;
  for (int i = 0; i < snoop.AdapterNames().size(); ++i) {
    const QString& name = snoop.AdapterNames().at(i);
    text += QStringLiteral("%1\t%2").arg(i).arg(name);
    const QString& description = snoop.AdapterDescriptions().at(i);
    // The mark keeps its own column, after a description column that may then be empty.
    if (name == routeAdapter) {
      text += u'\t' + description + QStringLiteral("\t(default route)");
    } else if (!description.isEmpty()) {
      text += u'\t' + description;
    }
    text += u'\n';
  }
  return WriteAll(out, text.toUtf8()) ? kExitOk : kExitFailure;
}

}  // namespace dorvex::cli
