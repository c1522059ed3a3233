#pragma once
// Decoding of short code page 932 (Shift_JIS) byte strings, such as world names in a reply.

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "tally/cp932_converter.h"

namespace dorvex {

class Cp932Decoder {
 public:
  Cp932Decoder();

  // Decodes exactly `length` bytes. Never fails: a malformed or truncated sequence and a byte
  // without a character become U+FFFD each, and nothing beyond `length` is read.
  QString Decode(const std::uint8_t* bytes, std::size_t length);

  // The same text, written to `out` (room for `length` chars): true when every character or
  // broken sequence of `bytes` is one UTF-16 unit, as it is for all of code page 932. Each
  // character is decoded once and remembered, so that a name costs a table look-up per
  // character. False when a part is not one unit, or for the few ASCII controls that the
  // converter changes among other characters; Decode then gives the text.
  bool DecodeShort(const std::uint8_t* bytes, std::size_t length, char16_t* out,
                   std::size_t& outLength);

 private:
  static constexpr char16_t kUnknown = 0;     // not decoded yet
  static constexpr char16_t kNotOneUnit = 1;  // decodes to something other than one unit

  char16_t UnitChar(const std::uint8_t* bytes, std::size_t length);
  bool AsciiAsItself(std::uint8_t b);  // the converter gives byte b < 0x80 as U+00bb
  QString DecodeUnit(const std::uint8_t* bytes, std::size_t length);
  Cp932Converter converter_;
  std::vector<char16_t> unitChars_;              // by UnitIndex of the unit's bytes
  std::array<std::int8_t, 0x80> asciiAsItself_;  // -1: not asked yet
};

}  // namespace dorvex
