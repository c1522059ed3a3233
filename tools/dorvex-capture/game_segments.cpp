#include "tools/dorvex-capture/game_segments.h"

#include <algorithm>
#include <optional>

#include "capture/frame_decoder.h"
#include "capture/game_traffic.h"

namespace dorvex::capture_helper {

std::span<const std::uint8_t> GameSegmentBytes(int linkType, std::span<const std::uint8_t> frame,
                                               std::span<std::uint8_t> scratch) {
  const std::optional<TCPSegment> segment =
      DecodeTCPSegment(linkType, frame.data(), static_cast<std::uint32_t>(frame.size()));
  if (!segment) return {};
  if (SourceOf(*segment).port == kGameServerPort) return frame;

  // From the client: everything after the TCP header is zeroed, padding included.
  const std::size_t kept = std::min(frame.size(), scratch.size());
  const auto payloadAt = static_cast<std::size_t>(segment->TCPData - frame.data());
  const std::size_t headers = std::min(payloadAt, kept);
  std::ranges::copy(frame.first(headers), scratch.begin());
  std::ranges::fill(scratch.subspan(headers, kept - headers), std::uint8_t{0});
  return scratch.first(kept);
}

}  // namespace dorvex::capture_helper
