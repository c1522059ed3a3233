#include "tally/cp932_text.h"

#include <algorithm>

namespace dorvex {

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
    const std::size_t unit = Cp932UnitLength(bytes, pos, length);
    text += DecodeUnit(bytes + pos, unit);
    pos += unit;
  }
  return text;
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
  // Units decode on their own as within a text: the decoder keeps no state between them.
  const QString unit = DecodeUnit(bytes, length);
  return unit.size() == 1 && unit[0].unicode() > kNotOneUnit && !unit[0].isSurrogate()
             ? unit[0].unicode()
             : kNotOneUnit;
}

QString Cp932Decoder::DecodeUnit(const std::uint8_t* bytes, std::size_t length) {
  if (length == 1 && bytes[0] < 0x80) return QString(QChar(bytes[0]));
  if (length == 1 && IsCp932LeadByte(bytes[0])) return QString(QChar::ReplacementCharacter);
  const std::optional<QString> unit = converter_.Decode(
      QByteArrayView(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(length)));
  if (!unit || unit->isEmpty()) return QString(QChar::ReplacementCharacter);
  return *unit;
}

}  // namespace dorvex
