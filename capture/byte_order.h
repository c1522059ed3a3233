#pragma once
// Multi-byte fields read from packet bytes without unaligned loads; the caller checks the length.

#include <cstdint>

namespace dorvex {

constexpr std::uint16_t BigEndian16At(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

constexpr std::uint32_t BigEndian32At(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

constexpr std::uint32_t LittleEndian32At(const std::uint8_t* p) {
  return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) |
         std::uint32_t{p[0]};
}

}  // namespace dorvex
