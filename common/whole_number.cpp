#include "common/whole_number.h"

namespace dorvex {

namespace {

int DecimalDigit(QChar c) {
  const char16_t u = c.unicode();
  return (u >= u'0' && u <= u'9') ? u - u'0' : -1;
}

int HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return DecimalDigit(c);
}

// Length of the hexadecimal prefix at the start of `text` ("$", "x", "X", "0x", "0X"), or 0.
qsizetype HexPrefixLength(QStringView text) {
  if (text.startsWith(u'$') || text.startsWith(u'x') || text.startsWith(u'X')) return 1;
  if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) return 2;
  return 0;
}

// Hexadecimal digits up to 32 bits wide (leading zeros allowed), as a bit pattern.
std::optional<std::uint32_t> ReadHexDigits(QStringView digits) {
  if (digits.isEmpty()) return std::nullopt;
  std::uint32_t value = 0;
  for (QChar c : digits) {
    const int d = HexDigit(c);
    if (d < 0 || value > 0x0FFFFFFFu) return std::nullopt;
    value = (value << 4) | static_cast<std::uint32_t>(d);
  }
  return value;
}

// Decimal digits as a magnitude up to 2^31 (the magnitude of the most negative value).
std::optional<std::uint32_t> ReadDecimalDigits(QStringView digits) {
  constexpr std::uint64_t kLimit = 2147483648u;
  if (digits.isEmpty()) return std::nullopt;
  std::uint64_t value = 0;
  for (QChar c : digits) {
    const int d = DecimalDigit(c);
    if (d < 0) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(d);
    if (value > kLimit) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace

std::optional<std::int32_t> ReadWholeNumber(QStringView text) {
  qsizetype pos = 0;
  while (pos < text.size() && text[pos] == u' ') ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
    negative = text[pos] == u'-';
    ++pos;
  }
  const QStringView rest = text.mid(pos);

  if (const qsizetype prefix = HexPrefixLength(rest); prefix > 0) {
    // A sign before a hexadecimal pattern negates the pattern in 32-bit two's complement, so
    // "-$10" reads as -16 and "-$FFFFFFFF" as 1.
    const auto pattern = ReadHexDigits(rest.mid(prefix));
    if (!pattern) return std::nullopt;
    const std::uint32_t bits = negative ? 0u - *pattern : *pattern;
    return static_cast<std::int32_t>(bits);
  }

  const auto magnitude = ReadDecimalDigits(rest);
  if (!magnitude) return std::nullopt;
  if (negative) return static_cast<std::int32_t>(0u - *magnitude);
  if (*magnitude > 2147483647u) return std::nullopt;
  return static_cast<std::int32_t>(*magnitude);
}

}  // namespace dorvex
