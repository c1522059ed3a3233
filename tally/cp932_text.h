#pragma once
// Decoding of short code page 932 (Shift_JIS) byte strings, such as world names in a reply.

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

#include "tally/cp932_converter.h"

namespace dorvex {

// The first byte of a two-byte character.
inline constexpr bool IsCp932LeadByte(std::uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
// A byte that may follow a lead byte as its character's second byte.
inline constexpr bool IsCp932TrailByte(std::uint8_t b) {
  return b >= 0x40 && b <= 0xFC && b != 0x7F;
}
// The length of the character or broken sequence at `pos` of `length` bytes: two bytes for a
// lead and a trail byte, otherwise one.
inline std::size_t Cp932UnitLength(const std::uint8_t* bytes, std::size_t pos, std::size_t length) {
  return IsCp932LeadByte(bytes[pos]) && pos + 1 < length && IsCp932TrailByte(bytes[pos + 1]) ? 2
                                                                                             : 1;
}

class Cp932Decoder {
 public:
  Cp932Decoder();

  // Decodes exactly `length` bytes. Never fails: a malformed or truncated sequence and a byte
  // without a character become U+FFFD each, and nothing beyond `length` is read.
  QString Decode(const std::uint8_t* bytes, std::size_t length);

  // The one UTF-16 unit that the character or broken sequence of `length` bytes (1, or 2 for a
  // lead and a trail byte) decodes to within a text, as Decode gives it; kNotOneUnit when it is
  // not one unit (or is U+0000 or U+0001).
  static constexpr char16_t kNotOneUnit = 1;
  char16_t UnitChar(const std::uint8_t* bytes, std::size_t length);

  // True when Decode gives the byte b < 0x80 as U+00bb among other characters (code page 932
  // swaps some controls). A text of ASCII bytes alone is always given as itself.
  bool AsciiAsItself(std::uint8_t b);

 private:
  QString DecodeUnit(const std::uint8_t* bytes, std::size_t length);
  Cp932Converter converter_;
  std::array<std::int8_t, 0x80> asciiAsItself_;  // -1: not asked yet
};

}  // namespace dorvex
