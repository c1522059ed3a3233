#include "capture/link_frame.h"

#include <pcap/dlt.h>

#include "capture/header_helpers.h"
#include "common/byte_order.h"

namespace dorvex {

namespace {

constexpr std::uint32_t kLinuxCookedV1Length = 16;  // protocol type at offset 14
constexpr std::uint32_t kLinuxCookedV2Length = 20;  // protocol type at offset 0
constexpr std::uint32_t kLoopbackLength = 4;        // address family, 32 bits
constexpr std::uint32_t kAddressFamilyIPv4 = 2;     // AF_INET on every system

// The datagram after a link header of `headerLength` bytes, when the link header says IPv4.
std::optional<NetworkLayer> After(const std::uint8_t* frame, std::uint32_t captured,
                                  std::uint32_t headerLength, bool carriesIPv4) {
  if (!carriesIPv4) return std::nullopt;
  return NetworkLayer{nullptr, reinterpret_cast<PIP_HDR>(frame + headerLength),
                      captured - headerLength};
}

}  // namespace

bool IsSupportedLinkType(int linkType) {
  switch (linkType) {
    case DLT_EN10MB:
    case DLT_LINUX_SLL:
    case DLT_LINUX_SLL2:
    case DLT_NULL:
    case DLT_LOOP:
    case DLT_RAW:
    case DLT_IPV4:
      return true;
    default:
      return false;
  }
}

std::optional<NetworkLayer> LocateIPv4(int linkType, const std::uint8_t* frame,
                                       std::uint32_t captured) {
  switch (linkType) {
    case DLT_EN10MB: {
      const auto ethernet = reinterpret_cast<PETHERNET_HDR>(frame);
      PIP_HDR ip = nullptr;
      if (!GetIPHeader(ethernet, captured, &ip)) return std::nullopt;
      return NetworkLayer{ethernet, ip, captured - std::uint32_t{sizeof(ETHERNET_HDR)}};
    }
    case DLT_LINUX_SLL:
      if (captured < kLinuxCookedV1Length) return std::nullopt;
      return After(frame, captured, kLinuxCookedV1Length,
                   BigEndian16At(frame + 14) == kEtherTypeIPv4);
    case DLT_LINUX_SLL2:
      if (captured < kLinuxCookedV2Length) return std::nullopt;
      return After(frame, captured, kLinuxCookedV2Length, BigEndian16At(frame) == kEtherTypeIPv4);
    case DLT_NULL:
      // The family is in the byte order of the machine that captured the frame.
      if (captured < kLoopbackLength) return std::nullopt;
      return After(frame, captured, kLoopbackLength,
                   LittleEndian32At(frame) == kAddressFamilyIPv4 ||
                       BigEndian32At(frame) == kAddressFamilyIPv4);
    case DLT_LOOP:
      if (captured < kLoopbackLength) return std::nullopt;
      return After(frame, captured, kLoopbackLength, BigEndian32At(frame) == kAddressFamilyIPv4);
    case DLT_RAW:
    case DLT_IPV4:
      // Raw IP may carry IPv4 or IPv6: the version nibble tells.
      if (captured < 1) return std::nullopt;
      return After(frame, captured, 0, (frame[0] >> 4) == 4);
    default:
      return std::nullopt;
  }
}

}  // namespace dorvex
