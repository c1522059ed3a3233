#pragma once
// A reply's world name field decoded into the name as shown and the count store's key for it,
// in one pass over its bytes with a table look-up per character for nearly every name.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "tally/cp932_text.h"
#include "tally/inline_text.h"

namespace dorvex {

// A name field's name as shown (ShownText of its code page 932 text), and the name's FoldedKey.
struct DecodedName {
  InlineText name;
  InlineText key;
};

class NameDecoder {
 public:
  NameDecoder();

  // The name in the first `size` bytes of `field` (at most InlineText::kInlineSize), up to the
  // first zero byte. Never reads beyond `size` bytes.
  DecodedName Decode(const std::uint8_t* field, std::size_t size);

 private:
  // What a character or broken sequence gives: its shown character in the low half and that
  // character's FoldedSimply in the high half.
  static constexpr std::uint32_t kUnknown = 0;     // not decoded yet
  static constexpr std::uint32_t kNotOneUnit = 1;  // Cp932Decoder::UnitChar found no one unit
  static std::uint32_t PairOf(char16_t c);
  std::uint32_t NewUnitPair(const std::uint8_t* unit, std::size_t length);
  DecodedName DecodeWhole(const std::uint8_t* field, std::size_t size);
  bool AsciiAsItselfIn(const std::uint8_t* field, std::size_t length);

  Cp932Decoder decoder_;
  std::array<std::uint32_t, 0x80> asciiPairs_;  // of the bytes below 0x80, as themselves
  // By 0x00XX (one byte) or 0xLLTT (two bytes); kUnknown until the unit is first met.
  static constexpr std::size_t kUnits = 0x10000;
  std::unique_ptr<std::uint32_t[]> unitPairs_;
};

}  // namespace dorvex
