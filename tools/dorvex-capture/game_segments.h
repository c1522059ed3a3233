#pragma once
// What dorvex-capture passes on of a frame that its filter let through: the server's segments of
// the game's port whole (they carry the world list replies), the client's with their payload bytes
// zeroed (their length, and so the login time, keeps its meaning; the user's login data never
// leaves the helper), and nothing of a frame that carries no IPv4 TCP payload.

#include <cstdint>
#include <span>

namespace dorvex::capture_helper {

// The bytes to forward for a frame of link type `linkType`: `frame` itself, a copy in `scratch`
// with the payload zeroed (cut to `scratch`'s size), or an empty span for nothing.
std::span<const std::uint8_t> GameSegmentBytes(int linkType, std::span<const std::uint8_t> frame,
                                               std::span<std::uint8_t> scratch);

}  // namespace dorvex::capture_helper
