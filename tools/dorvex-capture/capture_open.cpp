#include "tools/dorvex-capture/capture_open.h"

#include "capture/capture_helper_status.h"
#include "capture/capture_library.h"
#include "capture/game_traffic.h"

namespace dorvex::capture_helper {

namespace {

struct DeviceListFreer {
  void operator()(pcap_if_t* devices) const { pcap_freealldevs(devices); }
};

OpenedCapture Failed(int exitStatus, std::string error) {
  return {nullptr, -1, exitStatus, std::move(error)};
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

  PcapHandle handle(pcap_create(args.adapter.c_str(), errorText));
  if (!handle) return Failed(kExitCannotOpen, prefix + errorText);
  pcap_t* pcap = handle.get();
  int status = pcap_set_snaplen(pcap, kGameSnapshotLength);
  if (status == 0) status = pcap_set_promisc(pcap, args.promiscuous ? 1 : 0);
  if (status == 0) status = pcap_set_timeout(pcap, args.timeoutMs);
  if (status == 0) status = pcap_set_immediate_mode(pcap, args.immediate ? 1 : 0);
  if (status == 0) status = pcap_activate(pcap);  // a warning (> 0) still opens the capture
  if (status < 0) {
    const bool denied =
        status == PCAP_ERROR_PERM_DENIED || status == PCAP_ERROR_PROMISC_PERM_DENIED;
    return Failed(denied ? kExitPermission : kExitCannotOpen,
                  prefix + ActivationFailureText(pcap, status));
  }

  // The filter names no host: compiling it resolves nothing.
  bpf_program program{};
  if (pcap_compile(pcap, &program, kGameTrafficFilter, 1, PCAP_NETMASK_UNKNOWN) != 0) {
    return Failed(kExitBadFilter, prefix + "filter: " + pcap_geterr(pcap));
  }
  status = pcap_setfilter(pcap, &program);
  pcap_freecode(&program);
  if (status != 0) return Failed(kExitBadFilter, prefix + "filter: " + pcap_geterr(pcap));

  const int fd = pcap_get_selectable_fd(pcap);
  if (fd < 0) return Failed(kExitCannotOpen, prefix + "the capture cannot be polled");
  if (pcap_setnonblock(pcap, 1, errorText) != 0) return Failed(kExitCannotOpen, prefix + errorText);
  return {std::move(handle), fd, 0, {}};
}

}  // namespace dorvex::capture_helper
