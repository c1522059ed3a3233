#include "capture_filter.h"

namespace dorvex {

std::optional<QString> InstallFilter(pcap_t* handle, const QString& filter, bpf_u_int32 netmask) {
  bpf_program program;
  if (pcap_compile(handle, &program, filter.toLocal8Bit().constData(), 1, netmask) < 0) {
    return QString::fromLocal8Bit(pcap_geterr(handle));
  }
  const int result = pcap_setfilter(handle, &program);
  pcap_freecode(&program);
  if (result < 0) return QString::fromLocal8Bit(pcap_geterr(handle));
  return std::nullopt;
}

}  // namespace dorvex
