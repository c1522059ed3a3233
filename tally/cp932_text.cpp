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

}  // namespace

Cp932Decoder::Cp932Decoder() {
  RenewDecoder();
}

void Cp932Decoder::RenewDecoder() {
  // Built in place: a moved or reset QStringDecoder (Qt 6.4) no longer reports errors reliably.
  decoder_.emplace("CP932", QStringConverter::Flag::Stateless);
}

std::optional<QString> Cp932Decoder::DecodeWhole(QByteArrayView bytes) {
  if (!decoder_->isValid()) return std::nullopt;
  QString text = decoder_->decode(bytes);
  if (!decoder_->hasError()) return text;
  RenewDecoder();  // resetState() leaves the error flag set
  return std::nullopt;
}

QString Cp932Decoder::Decode(const std::uint8_t* bytes, std::size_t length) {
  if (length == 0) return QString();
  const auto* chars = reinterpret_cast<const char*>(bytes);
  const auto size = static_cast<qsizetype>(length);
  if (std::all_of(bytes, bytes + length, [](std::uint8_t b) { return b < 0x80; })) {
    return QString::fromLatin1(chars, size);
  }
  if (std::optional<QString> whole = DecodeWhole(QByteArrayView(chars, size))) return *whole;
  // Something in it does not decode: walk it character by character so that only the broken
  // parts turn into replacement characters.
  QString text;
  for (std::size_t pos = 0; pos < length;) {
    const std::size_t unit =
        IsLeadByte(bytes[pos]) && pos + 1 < length && IsTrailByte(bytes[pos + 1]) ? 2 : 1;
    text += DecodeUnit(bytes + pos, unit);
    pos += unit;
  }
  return text;
}

QString Cp932Decoder::DecodeUnit(const std::uint8_t* bytes, std::size_t length) {
  if (length == 1 && bytes[0] < 0x80) return QString(QChar(bytes[0]));
  if (length == 1 && IsLeadByte(bytes[0])) return QString(QChar::ReplacementCharacter);
  const std::optional<QString> unit = DecodeWhole(
      QByteArrayView(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(length)));
  if (!unit || unit->isEmpty()) return QString(QChar::ReplacementCharacter);
  return *unit;
}

}  // namespace dorvex
