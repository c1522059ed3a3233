#include "capture/header_helpers.h"

#include <algorithm>

namespace dorvex {

namespace {
const std::uint8_t* BytesOf(const void* record) {
  return static_cast<const std::uint8_t*>(record);
}
}  // namespace

bool GetIPHeader(PETHERNET_HDR ethernetHeader, std::uint32_t captured, PIP_HDR* ipHeader) {
  if (captured < sizeof(ETHERNET_HDR) || ethernetHeader->EtherType() != kEtherTypeIPv4) {
    return false;
  }
  if (ipHeader) {
    *ipHeader = reinterpret_cast<PIP_HDR>(BytesOf(ethernetHeader) + sizeof(ETHERNET_HDR));
  }
  return true;
}

bool GetTCPHeader(PIP_HDR ipHeader, std::uint32_t captured, PTCP_HDR* tcpHeader) {
  if (captured < sizeof(IP_HDR) || ipHeader->Protocol != kIPProtocolTCP) return false;
  const auto ipLength = static_cast<std::uint32_t>(ipHeader->HeaderLength());
  if (ipLength < sizeof(IP_HDR) || captured < ipLength + sizeof(TCP_HDR)) return false;
  // Only the first fragment carries the TCP header.
  if (ipHeader->FragmentOffset() != 0) return false;
  if (tcpHeader) *tcpHeader = reinterpret_cast<PTCP_HDR>(BytesOf(ipHeader) + ipLength);
  return true;
}

bool GetTCPData(PIP_HDR ipHeader, PTCP_HDR tcpHeader, std::uint32_t captured,
                const std::uint8_t** tcpData, std::int32_t* tcpDataLength) {
  const std::int64_t ipLength = ipHeader->HeaderLength();
  const std::int64_t tcpLength = tcpHeader->HeaderLength();
  // Bytes captured from the start of the TCP header.
  const std::int64_t available = std::max<std::int64_t>(0, std::int64_t{captured} - ipLength);

  std::int64_t length = 0;
  if (tcpLength >= std::int64_t{sizeof(TCP_HDR)} && tcpLength <= available) {
    const std::int64_t declared = std::int64_t{ipHeader->TotalLength()} - ipLength - tcpLength;
    length = std::min(declared, available - tcpLength);
  }
  if (tcpData) *tcpData = BytesOf(tcpHeader) + std::min(tcpLength, available);
  if (tcpDataLength) *tcpDataLength = static_cast<std::int32_t>(length);
  return length > 0;
}

}  // namespace dorvex
