#pragma once
// Multi-byte fields read from packet and payload bytes without unaligned loads. The caller checks
// that the bytes are there (see capture/link_frame.h and tally/world_list_reader.cpp).

#include <cstdint>

namespace dorvex {

constexpr std::uint16_t BigEndian16At(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

constexpr std::uint32_t BigEndian32At(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

constexpr std::uint16_t LittleEndian16At(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

constexpr std::uint32_t LittleEndian32At(const std::uint8_t* p) {
  return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) |
         std::uint32_t{p[0]};
}

}  // namespace dorvex
