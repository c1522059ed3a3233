#pragma once
// Opens the live capture that dorvex-capture streams: checks that libpcap lists the adapter, then
// creates and activates the handle at the game's snapshot length, installs the game's filter
// (capture/game_traffic.h) and makes it pollable. Needs cap_net_raw.

#include <pcap/pcap.h>

#include <memory>
#include <string>

#include "tools/dorvex-capture/capture_args.h"

namespace dorvex::capture_helper {

struct PcapCloser {
  void operator()(pcap_t* handle) const { pcap_close(handle); }
};
using PcapHandle = std::unique_ptr<pcap_t, PcapCloser>;

struct OpenedCapture {
  PcapHandle handle;   // null when opening failed
  int fd = -1;         // the handle's descriptor for poll(2); the handle is non-blocking
  int exitStatus = 0;  // a capture/capture_helper_status.h status when opening failed
  std::string error;   // then the stderr line after "dorvex-capture: "
};

OpenedCapture OpenCapture(const CaptureArgs& args);

}  // namespace dorvex::capture_helper
