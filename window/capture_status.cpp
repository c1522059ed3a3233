#include "window/capture_status.h"

#include "capture/capture_failure.h"

namespace dorvex {

QString CaptureStatusText(const CaptureState& state) {
  if (state.active) {
    return QStringLiteral("Capturing on %1 (filter: %2)").arg(state.adapterLabel, state.filter);
  }
  if (state.wantedIndex < 0) return QStringLiteral("No adapter selected");

  QString reason = state.lastError.trimmed();
  if (reason.isEmpty()) reason = QStringLiteral("the capture is closed");
  if (IsPermissionFailure(reason)) {
    return QStringLiteral("Not capturing: no capture rights, %1 (%2)")
        .arg(QLatin1String(kCaptureRightsHint), reason);
  }
  return QStringLiteral("Not capturing: %1").arg(reason);
}

QString AdapterLabel(const QString& name, const QString& description) {
  return description.isEmpty() ? name : description;
}

}  // namespace dorvex
