#include "capture/capture_library.h"

namespace dorvex {

std::string ActivationFailureText(pcap_t* handle, int status) {
  const std::string detail = pcap_geterr(handle);
  if (status == PCAP_ERROR) return detail;
  std::string reason = pcap_statustostr(status);
  if (!detail.empty() && detail != reason) reason += " (" + detail + ")";
  return reason;
}

}  // namespace dorvex
