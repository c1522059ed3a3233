#include "capture/capture_failure.h"

namespace dorvex {

namespace {
QString StatusText(int status) {
  return QString::fromLocal8Bit(pcap_statustostr(status));
}
}  // namespace

QString ActivationFailureText(pcap_t* handle, int status) {
  const QString detail = QString::fromLocal8Bit(pcap_geterr(handle));
  // PCAP_ERROR's own text ("Generic error") says nothing: the detail alone does.
  if (status == PCAP_ERROR && !detail.isEmpty()) return detail;
  const QString text = StatusText(status);
  if (detail.isEmpty() || detail == text) return text;
  return QStringLiteral("%1 (%2)").arg(text, detail);
}

bool IsPermissionFailure(const QString& lastError) {
  // Both status texts of a refused activation say "permission"; the kernel's own word, when the
  // library passes it on alone, is "Operation not permitted".
  return lastError.contains(QLatin1String("permission"), Qt::CaseInsensitive) ||
         lastError.contains(QLatin1String("Operation not permitted"), Qt::CaseInsensitive);
}

}  // namespace dorvex
