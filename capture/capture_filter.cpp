#include "capture/capture_filter.h"

// sockaddr_in and AF_INET come with pcap.h (its socket header) on Linux and on Windows.
#include <cstring>
#include <memory>

namespace dorvex {

namespace {

// Compiles `filter` into `program`; the library's text when it does not compile.
std::optional<QString> Compile(pcap_t* handle, const QString& filter, bpf_u_int32 netmask,
                               bpf_program& program) {
  if (pcap_compile(handle, &program, filter.toLocal8Bit().constData(), 1, netmask) < 0) {
    return QString::fromLocal8Bit(pcap_geterr(handle));
  }
  return std::nullopt;
}

}  // namespace

std::optional<QString> InstallFilter(pcap_t* handle, const QString& filter, bpf_u_int32 netmask) {
  bpf_program program;
  if (std::optional<QString> error = Compile(handle, filter, netmask, program)) return error;
  const int result = pcap_setfilter(handle, &program);
  pcap_freecode(&program);
  if (result < 0) return QString::fromLocal8Bit(pcap_geterr(handle));
  return std::nullopt;
}

bpf_u_int32 AdapterNetmask(const pcap_if_t& adapter) {
  const pcap_addr_t* first = adapter.addresses;
  if (first == nullptr || first->addr == nullptr || first->netmask == nullptr ||
      first->addr->sa_family != AF_INET) {
    return PCAP_NETMASK_UNKNOWN;
  }
  // libpcap allocates every address at least as large as a sockaddr, which is the size of a
  // sockaddr_in.
  sockaddr_in mask{};
  std::memcpy(&mask, first->netmask, sizeof mask);
  return mask.sin_addr.s_addr;
}

std::optional<QString> CheckFilter(const QString& filter) {
  const std::unique_ptr<pcap_t, void (*)(pcap_t*)> dead(pcap_open_dead(DLT_EN10MB, 1600),
                                                        pcap_close);
  if (!dead) return std::nullopt;  // nothing to check with: opening the adapter will tell
  bpf_program program;
  if (std::optional<QString> error = Compile(dead.get(), filter, PCAP_NETMASK_UNKNOWN, program)) {
    return error;
  }
  pcap_freecode(&program);
  return std::nullopt;
}

}  // namespace dorvex
