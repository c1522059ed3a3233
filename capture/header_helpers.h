#pragma once
// The three header helpers of which the TCP payload decoder is made. Each takes the number of
// bytes captured from the start of the header it is given and never reads past them, whatever the
// header fields claim. Outputs are optional: pass none to get the test result alone.

#include <cstdint>

#include "capture/header_records.h"

namespace dorvex {

// True when the Ethernet frame carries IPv4 (EtherType 0x0800); only then gives the IPv4 header,
// which follows the 14-byte Ethernet header.
bool GetIPHeader(PETHERNET_HDR ethernetHeader, std::uint32_t captured, PIP_HDR* ipHeader = nullptr);

// True when the IPv4 datagram carries TCP and its TCP header can be read: protocol 6, a header
// length of at least 20 bytes, the first (or only) fragment, and the IPv4 header (options
// included) plus a 20-byte TCP header captured. Only then gives the TCP header, which follows the
// IPv4 header and its options.
bool GetTCPHeader(PIP_HDR ipHeader, std::uint32_t captured, PTCP_HDR* tcpHeader = nullptr);

// The payload of a TCP header obtained from GetTCPHeader; `captured` counts from the IPv4 header.
// Always gives the outputs that are wanted. The length is the IPv4 total length minus both headers
// (negative when the total length is smaller than the headers), cut to the captured bytes; it is 0
// when the TCP header length is below 20 or the TCP options were not captured. True when the
// length is greater than 0.
bool GetTCPData(PIP_HDR ipHeader, PTCP_HDR tcpHeader, std::uint32_t captured,
                const std::uint8_t** tcpData = nullptr, std::int32_t* tcpDataLength = nullptr);

}  // namespace dorvex
