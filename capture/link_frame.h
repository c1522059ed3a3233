#pragma once
// Finds the IPv4 datagram inside a captured frame of a given link type (pcap_datalink's value).
// Ethernet II, Linux cooked v1 and v2, BSD loopback (host or network order) and raw IPv4.

#include <cstdint>
#include <optional>

#include "capture/header_records.h"

namespace dorvex {

struct NetworkLayer {
  PETHERNET_HDR ethernetHeader = nullptr;  // null unless the link type is Ethernet
  PIP_HDR ipHeader = nullptr;
  std::uint32_t captured = 0;  // bytes captured from the IPv4 header on
};

bool IsSupportedLinkType(int linkType);

// The IPv4 datagram of the frame, or nullopt when the frame does not carry IPv4, its link header
// was not fully captured, or the link type is not supported.
std::optional<NetworkLayer> LocateIPv4(int linkType, const std::uint8_t* frame,
                                       std::uint32_t captured);

}  // namespace dorvex
