#pragma once
// The layout of a world list reply: 32-byte world records, the first of which begins with the
// reply's leading value. Both the reader and the reply builder use these offsets.

#include <cstdint>

namespace dorvex {

inline constexpr std::uint16_t kWorldListReplyA = 3539;   // bytes D3 0D
inline constexpr std::uint16_t kWorldListReplyB = 55101;  // bytes 3D D7

inline constexpr int kWorldRecordSize = 32;
inline constexpr int kWorldNameOffset = 6;  // code page 932 name, zero-padded
inline constexpr int kWorldNameSize = 20;
inline constexpr int kWorldCountOffset = 26;  // 16-bit little-endian count

inline constexpr int kWorkingCopySize = 1024;  // 32 records; longer payloads are read this far

}  // namespace dorvex
