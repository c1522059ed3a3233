#include "capture/frame_decoder.h"

#include "capture/header_helpers.h"
#include "capture/link_frame.h"
#include "common/byte_order.h"

namespace dorvex {

std::optional<TCPSegment> DecodeTCPSegment(int linkType, const std::uint8_t* frame,
                                           std::uint32_t captured) {
  if (!frame) return std::nullopt;
  const std::optional<NetworkLayer> network = LocateIPv4(linkType, frame, captured);
  if (!network) return std::nullopt;

  TCPSegment segment;
  segment.EthernetHeader = network->ethernetHeader;
  segment.IPHeader = network->ipHeader;
  if (!GetTCPHeader(segment.IPHeader, network->captured, &segment.TCPHeader)) return std::nullopt;
  if (!GetTCPData(segment.IPHeader, segment.TCPHeader, network->captured, &segment.TCPData,
                  &segment.TCPDataLength)) {
    return std::nullopt;
  }
  return segment;
}

SegmentSource SourceOf(const TCPSegment& segment) {
  const std::uint8_t* a = segment.IPHeader->SourceAddress;
  return {std::uint32_t{a[0]} << 24 | std::uint32_t{a[1]} << 16 | std::uint32_t{a[2]} << 8 | a[3],
          BigEndian16At(segment.TCPHeader->SourcePort)};
}

}  // namespace dorvex
