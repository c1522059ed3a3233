#pragma once
// Decodes one captured frame into the TCP segment that it carries: the pure core of
// TSnoopTCPData::ProcessPacket, shared by the live capture, file replay and the fuzzer.

#include <cstdint>
#include <optional>

#include "capture/header_records.h"

namespace dorvex {

struct TCPSegment {
  PETHERNET_HDR EthernetHeader = nullptr;  // null for a frame that is not Ethernet
  PIP_HDR IPHeader = nullptr;
  PTCP_HDR TCPHeader = nullptr;
  const std::uint8_t* TCPData = nullptr;
  std::int32_t TCPDataLength = 0;  // at least 1, never past the captured bytes
};

// The IPv4 source address and TCP source port of `segment`: for a server's reply, the server's.
struct SegmentSource {
  std::uint32_t address = 0;  // host byte order
  std::uint16_t port = 0;
};
SegmentSource SourceOf(const TCPSegment& segment);

// The segment of a frame of link type `linkType` with `captured` bytes present, when the frame
// carries IPv4 carrying TCP with a payload of at least one captured byte; nullopt otherwise.
// No allocation and no copy: the pointers point into `frame`.
std::optional<TCPSegment> DecodeTCPSegment(int linkType, const std::uint8_t* frame,
                                           std::uint32_t captured);

}  // namespace dorvex
