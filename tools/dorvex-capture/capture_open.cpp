#include "tools/dorvex-capture/capture_open.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

#include "capture/capture_helper_status.h"

namespace dorvex::capture_helper {

namespace {

struct DeviceListFreer {
  void operator()(pcap_if_t* devices) const { pcap_freealldevs(devices); }
};

OpenedCapture Failed(int exitStatus, std::string error) {
  return {nullptr, -1, exitStatus, std::move(error)};
}

// The netmask for pcap_compile: the adapter's first address's mask when that address is IPv4.
bpf_u_int32 FilterNetmask(const pcap_if_t& device) {
  const pcap_addr_t* first = device.addresses;
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

// libpcap's reason for a failed activation: its message, after the status text when the status
// is more specific than PCAP_ERROR.
std::string ActivationReason(pcap_t* handle, int status) {
  const std::string detail = pcap_geterr(handle);
  if (status == PCAP_ERROR) return detail;
  std::string reason = pcap_statustostr(status);
  if (!detail.empty() && detail != reason) reason += " (" + detail + ")";
  return reason;
}

}  // namespace

OpenedCapture OpenCapture(const CaptureArgs& args) {
  const std::string prefix = args.adapter + ": ";
  char errorText[PCAP_ERRBUF_SIZE] = "";
  pcap_if_t* list = nullptr;
  if (pcap_findalldevs(&list, errorText) != 0) {
    return Failed(kExitCannotOpen, prefix + "cannot list the adapters: " + errorText);
  }
  const std::unique_ptr<pcap_if_t, DeviceListFreer> devices(list);
  const pcap_if_t* device = list;
  while (device != nullptr && args.adapter != device->name) device = device->next;
  if (device == nullptr) return Failed(kExitNoSuchAdapter, prefix + "no such capture adapter");
  const bpf_u_int32 netmask = FilterNetmask(*device);

  PcapHandle handle(pcap_create(args.adapter.c_str(), errorText));
  if (!handle) return Failed(kExitCannotOpen, prefix + errorText);
  pcap_t* pcap = handle.get();
  int status = pcap_set_snaplen(pcap, args.snaplen);
  if (status == 0) status = pcap_set_promisc(pcap, args.promiscuous ? 1 : 0);
  if (status == 0) status = pcap_set_timeout(pcap, args.timeoutMs);
  if (status == 0) status = pcap_set_immediate_mode(pcap, args.immediate ? 1 : 0);
  if (status == 0) status = pcap_activate(pcap);  // a warning (> 0) still opens the capture
  if (status < 0) {
    const bool denied =
        status == PCAP_ERROR_PERM_DENIED || status == PCAP_ERROR_PROMISC_PERM_DENIED;
    return Failed(denied ? kExitPermission : kExitCannotOpen,
                  prefix + ActivationReason(pcap, status));
  }

  bpf_program program{};
  if (pcap_compile(pcap, &program, args.filter.c_str(), 1, netmask) != 0) {
    return Failed(kExitBadFilter, prefix + "filter '" + args.filter + "': " + pcap_geterr(pcap));
  }
  status = pcap_setfilter(pcap, &program);
  pcap_freecode(&program);
  if (status != 0) {
    return Failed(kExitBadFilter, prefix + "filter '" + args.filter + "': " + pcap_geterr(pcap));
  }

  const int fd = pcap_get_selectable_fd(pcap);
  if (fd < 0) return Failed(kExitCannotOpen, prefix + "the capture cannot be polled");
  if (pcap_setnonblock(pcap, 1, errorText) != 0) return Failed(kExitCannotOpen, prefix + errorText);
  return {std::move(handle), fd, 0, {}};
}

}  // namespace dorvex::capture_helper
