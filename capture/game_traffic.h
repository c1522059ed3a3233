#pragma once
// The traffic Dorvex captures: the game's login server on TCP port 6900. The capture helper
// compiles this filter itself and forwards nothing else, at a snapshot length that holds any world
// list reply; the window and dorvex-cli capture with the same filter by default.

#include <cstdint>

namespace dorvex {

inline constexpr char kGameTrafficFilter[] = "tcp port 6900";
inline constexpr std::uint16_t kGameServerPort = 6900;
// A full Ethernet frame of 1514 bytes with any link header; the reader reads at most 1024 bytes.
inline constexpr int kGameSnapshotLength = 1600;

}  // namespace dorvex
