#pragma once
// The header records through which a captured frame is seen. Each network record is a byte-exact
// view laid over the capture library's packet buffer: it holds bytes only (alignment 1), so it may
// sit at any address, and its accessors assemble the big-endian fields without unaligned loads.

#include <pcap/pcap.h>

#include <cstddef>
#include <cstdint>

#include "common/byte_order.h"

namespace dorvex {

// The capture library's per-packet header, in its own layout and host byte order.
using PCAP_PKTHDR = pcap_pkthdr;

// Ethernet II header.
struct ETHERNET_HDR {
  std::uint8_t DestinationAddress[6];
  std::uint8_t SourceAddress[6];
  std::uint8_t EtherTypeBytes[2];

  constexpr std::uint16_t EtherType() const { return BigEndian16At(EtherTypeBytes); }
};

// IPv4 header without options.
struct IP_HDR {
  std::uint8_t VersionAndHeaderLength;
  std::uint8_t TypeOfService;
  std::uint8_t TotalLengthBytes[2];
  std::uint8_t Identification[2];
  std::uint8_t FlagsAndFragmentOffset[2];
  std::uint8_t TimeToLive;
  std::uint8_t Protocol;
  std::uint8_t HeaderChecksum[2];
  std::uint8_t SourceAddress[4];
  std::uint8_t DestinationAddress[4];

  // Header length in bytes, from the header-length nibble (20 when there are no options).
  constexpr int HeaderLength() const { return (VersionAndHeaderLength & 0x0F) * 4; }
  constexpr std::uint16_t TotalLength() const { return BigEndian16At(TotalLengthBytes); }
  constexpr int FragmentOffset() const { return BigEndian16At(FlagsAndFragmentOffset) & 0x1FFF; }
};

// TCP header without options.
struct TCP_HDR {
  std::uint8_t SourcePort[2];
  std::uint8_t DestinationPort[2];
  std::uint8_t SequenceNumber[4];
  std::uint8_t AcknowledgementNumber[4];
  std::uint8_t DataOffset;  // header length in 32-bit words in the high 4 bits
  std::uint8_t ControlFlags;
  std::uint8_t Window[2];
  std::uint8_t Checksum[2];
  std::uint8_t UrgentPointer[2];

  // Header length in bytes, 0 to 60.
  constexpr int HeaderLength() const { return ((DataOffset & 0xF0) >> 4) * 4; }
};

static_assert(sizeof(ETHERNET_HDR) == 14 && alignof(ETHERNET_HDR) == 1);
static_assert(offsetof(ETHERNET_HDR, EtherTypeBytes) == 12);
static_assert(sizeof(IP_HDR) == 20 && alignof(IP_HDR) == 1);
static_assert(offsetof(IP_HDR, TotalLengthBytes) == 2 && offsetof(IP_HDR, Protocol) == 9);
static_assert(offsetof(IP_HDR, FlagsAndFragmentOffset) == 6);
static_assert(offsetof(IP_HDR, SourceAddress) == 12 && offsetof(IP_HDR, DestinationAddress) == 16);
static_assert(sizeof(TCP_HDR) == 20 && alignof(TCP_HDR) == 1);
static_assert(offsetof(TCP_HDR, DataOffset) == 12 && offsetof(TCP_HDR, UrgentPointer) == 18);

using PPCAP_PKTHDR = const PCAP_PKTHDR*;
using PETHERNET_HDR = const ETHERNET_HDR*;
using PIP_HDR = const IP_HDR*;
using PTCP_HDR = const TCP_HDR*;

inline constexpr std::uint16_t kEtherTypeIPv4 = 0x0800;
inline constexpr std::uint8_t kIPProtocolTCP = 6;

}  // namespace dorvex
