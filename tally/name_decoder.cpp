#include "tally/name_decoder.h"

#include <cstring>
#include <utility>

#include "tally/shown_text.h"

namespace dorvex {

NameDecoder::NameDecoder() : unitPairs_(std::make_unique<std::uint32_t[]>(kUnits)) {
  for (std::size_t b = 0; b < asciiPairs_.size(); ++b) {
    asciiPairs_[b] = PairOf(static_cast<char16_t>(b));
  }
}

std::uint32_t NameDecoder::PairOf(char16_t c) {
  // A name is shown, never obeyed: control characters in it could add or move report lines.
  const char16_t shown = ShownChar(QChar(c)).unicode();
  return std::uint32_t{shown} | std::uint32_t{FoldedSimply(shown)} << 16;
}

DecodedName NameDecoder::Decode(const std::uint8_t* field, std::size_t size) {
  std::array<char16_t, InlineText::kInlineSize> shown{};
  std::array<char16_t, InlineText::kInlineSize> key{};
  if (size > shown.size()) return DecodeWhole(field, size);
  std::size_t length = 0;
  bool ascii = false;
  bool nonAscii = false;
  bool keyless = false;
  std::size_t pos = 0;
  // A zero byte is never the second byte of a character: the name ends at the first one.
  while (pos < size && field[pos] != 0) {
    const std::uint8_t b = field[pos];
    std::uint32_t pair;
    if (b < 0x80) {
      ascii = true;
      pair = asciiPairs_[b];
      ++pos;
    } else {
      nonAscii = true;
      const std::size_t unit = Cp932UnitLength(field, pos, size);
      pair = unitPairs_[unit == 2 ? std::size_t{b} << 8 | field[pos + 1] : b];
      if (pair == kUnknown) pair = NewUnitPair(field + pos, unit);
      if (pair == kNotOneUnit) return DecodeWhole(field, size);
      pos += unit;
    }
    shown[length] = static_cast<char16_t>(pair);
    key[length] = static_cast<char16_t>(pair >> 16);
    keyless = keyless || key[length] == 0;
    ++length;
  }
  // Among other characters, code page 932 may give an ASCII byte as another character.
  if (ascii && nonAscii && !AsciiAsItselfIn(field, pos)) return DecodeWhole(field, size);
  InlineText name(shown, length);
  // Made in the same pass where every character folds simply, as nearly every one does.
  if (keyless) return {name, FoldedKey(name.View())};
  return {std::move(name), InlineText(key, length)};
}

std::uint32_t NameDecoder::NewUnitPair(const std::uint8_t* unit, std::size_t length) {
  const char16_t c = decoder_.UnitChar(unit, length);
  std::uint32_t& pair = unitPairs_[length == 2 ? std::size_t{unit[0]} << 8 | unit[1] : unit[0]];
  pair = c == Cp932Decoder::kNotOneUnit ? kNotOneUnit : PairOf(c);
  return pair;
}

bool NameDecoder::AsciiAsItselfIn(const std::uint8_t* field, std::size_t length) {
  for (std::size_t pos = 0; pos < length;) {
    if (field[pos] >= 0x80) {
      pos += Cp932UnitLength(field, pos, length);
    } else if (!decoder_.AsciiAsItself(field[pos++])) {
      return false;
    }
  }
  return true;
}

DecodedName NameDecoder::DecodeWhole(const std::uint8_t* field, std::size_t size) {
  const auto* end = static_cast<const std::uint8_t*>(std::memchr(field, 0, size));
  const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - field) : size;
  InlineText name(ShownText(decoder_.Decode(field, length)));
  InlineText key = FoldedKey(name.View());
  return {std::move(name), std::move(key)};
}

}  // namespace dorvex
