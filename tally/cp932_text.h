#pragma once
// Decoding of short code page 932 (Shift_JIS) byte strings, such as world names in a reply.

#include <QString>
#include <QStringDecoder>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace dorvex {

class Cp932Decoder {
 public:
  Cp932Decoder();

  // Decodes exactly `length` bytes. Never fails: a malformed or truncated sequence and a byte
  // without a character become U+FFFD each, and nothing beyond `length` is read.
  QString Decode(const std::uint8_t* bytes, std::size_t length);

 private:
  QString DecodeUnit(const std::uint8_t* bytes, std::size_t length);
  // The text of `bytes`, or nullopt when they do not decode (or no CP932 converter exists).
  std::optional<QString> DecodeWhole(QByteArrayView bytes);
  void RenewDecoder();

  std::optional<QStringDecoder> decoder_;
};

}  // namespace dorvex
