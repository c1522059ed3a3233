#pragma once
// Builds world list replies: for the sample payload, the tests, benchmarks and loopback checks.

#include <QByteArray>
#include <cstdint>
#include <span>

#include "tally/world_list_layout.h"

namespace dorvex {

struct WorldRecord {
  QByteArray name;  // code page 932 bytes; the first 20 are kept, zero-padded
  std::uint16_t count = 0;
};

// One 32-byte record per entry; record 0's first two bytes carry `leadingValue` (little-endian),
// all bytes the reader does not read are zero.
QByteArray MakeWorldListReply(std::span<const WorldRecord> records,
                              std::uint16_t leadingValue = kWorldListReplyA);

}  // namespace dorvex
