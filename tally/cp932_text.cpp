#include "tally/cp932_text.h"

#include <algorithm>

namespace dorvex {

namespace {

bool IsLeadByte(std::uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailByte(std::uint8_t b) {
  return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The length of the character or broken sequence at `pos`: two bytes for a lead and a trail byte.
std::size_t UnitLength(const std::uint8_t* bytes, std::size_t pos, std::size_t length) {
  return IsLeadByte(bytes[pos]) && pos + 1 < length && IsTrailByte(bytes[pos + 1]) ? 2 : 1;
}

// The place of a unit in the table of unit characters: 0x00XX single, 0xLLTT double.
std::size_t UnitIndex(const std::uint8_t* bytes, std::size_t length) {
  return length == 2 ? std::size_t{bytes[0]} << 8 | bytes[1] : bytes[0];
}

}  // namespace

Cp932Decoder::Cp932Decoder() {
  asciiAsItself_.fill(-1);
}

QString Cp932Decoder::Decode(const std::uint8_t* bytes, std::size_t length) {
  if (length == 0) return QString();
  const auto* chars = reinterpret_cast<const char*>(bytes);
  const auto size = static_cast<qsizetype>(length);
  if (std::all_of(bytes, bytes + length, [](std::uint8_t b) { return b < 0x80; })) {
    return QString::fromLatin1(chars, size);
  }
  if (std::optional<QString> whole = converter_.Decode(QByteArrayView(chars, size))) return *whole;
  // Something in it does not decode: walk it character by character so that only the broken
  // parts turn into replacement characters.
  QString text;
  for (std::size_t pos = 0; pos < length;) {
    const std::size_t unit = UnitLength(bytes, pos, length);
    text += DecodeUnit(bytes + pos, unit);
    pos += unit;
  }
  return text;
}

bool Cp932Decoder::DecodeShort(const std::uint8_t* bytes, std::size_t length, char16_t* out,
                               std::size_t& outLength) {
  outLength = 0;
  const bool ascii = std::all_of(bytes, bytes + length, [](std::uint8_t b) { return b < 0x80; });
  for (std::size_t pos = 0; pos < length;) {
    if (bytes[pos] < 0x80) {
      // Among other characters, the converter may give an ASCII byte as another character
      // (code page 932 swaps some controls); Decode gives that only when the whole text decodes.
      if (!ascii && !AsciiAsItself(bytes[pos])) return false;
      out[outLength++] = bytes[pos++];
      continue;
    }
    const std::size_t unit = UnitLength(bytes, pos, length);
    char16_t c = kUnknown;
    if (!unitChars_.empty()) c = unitChars_[UnitIndex(bytes + pos, unit)];
    if (c == kUnknown) c = UnitChar(bytes + pos, unit);
    if (c == kNotOneUnit) return false;
    out[outLength++] = c;
    pos += unit;
  }
  return true;
}

bool Cp932Decoder::AsciiAsItself(std::uint8_t b) {
  std::int8_t& same = asciiAsItself_[b];
  if (same < 0) {
    const std::optional<QString> text =
        converter_.Decode(QByteArrayView(reinterpret_cast<const char*>(&b), 1));
    same = text && text->size() == 1 && (*text)[0].unicode() == b ? 1 : 0;
  }
  return same == 1;
}

char16_t Cp932Decoder::UnitChar(const std::uint8_t* bytes, std::size_t length) {
  if (unitChars_.empty()) unitChars_.assign(0x10000, kUnknown);
  char16_t& c = unitChars_[UnitIndex(bytes, length)];
  if (c == kUnknown) {
    // Units decode on their own as within a text: the decoder keeps no state between them.
    const QString unit = DecodeUnit(bytes, length);
    c = unit.size() == 1 && unit[0].unicode() > kNotOneUnit && !unit[0].isSurrogate()
            ? unit[0].unicode()
            : kNotOneUnit;
  }
  return c;
}

QString Cp932Decoder::DecodeUnit(const std::uint8_t* bytes, std::size_t length) {
  if (length == 1 && bytes[0] < 0x80) return QString(QChar(bytes[0]));
  if (length == 1 && IsLeadByte(bytes[0])) return QString(QChar::ReplacementCharacter);
  const std::optional<QString> unit = converter_.Decode(
      QByteArrayView(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(length)));
  if (!unit || unit->isEmpty()) return QString(QChar::ReplacementCharacter);
  return *unit;
}

}  // namespace dorvex
