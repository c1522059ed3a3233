#include "window/capture_status.h"

#include "capture/capture_failure.h"

namespace dorvex {

namespace {
QString& RouteTablePathStore() {
  static QString path = QStringLiteral("/proc/net/route");
  return path;
}
}  // namespace

QString CaptureStatusText(const CaptureState& state,
                          const std::optional<QString>& defaultRouteAdapter) {
  if (state.active) {
    return QStringLiteral("Capturing on %1 (filter: %2)").arg(state.adapterLabel, state.filter);
  }
  if (!state.libraryProblem.isEmpty()) {
    return QStringLiteral("Not capturing: %1").arg(state.libraryProblem);
  }
  if (state.wantedIndex < 0) {
    const QString pick = QStringLiteral("Pick the adapter the game uses");
    if (!defaultRouteAdapter) return pick;
    return QStringLiteral("%1 (%2 carries the default route)").arg(pick, *defaultRouteAdapter);
  }

  QString reason = state.lastError.trimmed();
  if (reason.isEmpty()) reason = QStringLiteral("the capture is closed");
  if (state.failure == capture_helper::kExitPermission) {
    return QStringLiteral("Not capturing: no capture rights, %1 (%2)")
        .arg(QLatin1String(kCaptureRightsHint), reason);
  }
  return QStringLiteral("Not capturing: %1").arg(reason);
}

StatusLine MakeStatusLine(const QString& captureStatus, const QString& historyStatus,
                          const QString& fontProblem) {
  StatusLine line{captureStatus, captureStatus};
  const auto add = [&](const QString& note, const QString& full) {
    line.text += QStringLiteral(" | ") + note;
    line.tooltip = full + u'\n' + line.tooltip;
  };
  if (!fontProblem.isEmpty()) add(QStringLiteral("No Japanese font"), fontProblem);
  if (!historyStatus.isEmpty()) {
    add(historyStatus.startsWith(u"History is off")     ? QStringLiteral("History off")
        : historyStatus.startsWith(u"History is saved") ? QStringLiteral("History: replies dropped")
                                                        : QStringLiteral("History not saved"),
        historyStatus);
  }
  return line;
}

QString JapaneseFontProblem(bool japaneseFontInstalled) {
  if (japaneseFontInstalled) return {};
  return QStringLiteral(
      "No Japanese font is installed, so the report shows boxes: install one, for example "
      "fonts-noto-cjk (sudo apt install fonts-noto-cjk)");
}

QString AdapterLabel(const QString& name, const QString& description, bool carriesDefaultRoute) {
  // Npcap names an adapter after its GUID, which tells a user nothing: its description alone.
  const bool npcapName = name.startsWith(QStringLiteral("\\Device\\NPF_"));
  const QString label = description.isEmpty() ? name
                        : npcapName           ? description
                                              : name + QStringLiteral(": ") + description;
  return carriesDefaultRoute ? label + QStringLiteral(" (default route)") : label;
}

const QString& RouteTablePath() {
  return RouteTablePathStore();
}

void SetRouteTablePath(const QString& path) {
  RouteTablePathStore() = path;
}

}  // namespace dorvex
