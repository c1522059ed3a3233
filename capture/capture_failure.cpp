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
  return lastError.startsWith(StatusText(PCAP_ERROR_PERM_DENIED)) ||
         lastError.startsWith(StatusText(PCAP_ERROR_PROMISC_PERM_DENIED));
}

}  // namespace dorvex
