#pragma once
// Text that came from the network or a file, made fit to show: a world name must neither add lines
// nor move the text around it.

#include <QString>

namespace dorvex {

// `text` with every control character (C0, DEL, C1), line or paragraph separator and format
// character (bidirectional overrides, zero-width joiners...) replaced by U+FFFD.
QString ShownText(QString text);

// Kana and the unified ideographs (U+3040 to U+9FFF), most of a Japanese name: none of them is
// replaced by ShownText, and none has a case-folded form of its own, so that both may pass them
// without a look-up in Unicode's tables.
inline constexpr bool IsKanaOrIdeograph(char16_t c) {
  return c >= 0x3040 && c <= 0x9FFF;
}

// ShownChar for a character that is neither printable ASCII nor kana or an ideograph.
QChar ShownCharByCategory(QChar c);

// The same as ShownText for one character; printable ASCII, kana and ideographs, most of a name,
// pass without a look-up.
inline QChar ShownChar(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 0x20 && u < 0x7F) || IsKanaOrIdeograph(u) ? c : ShownCharByCategory(c);
}

}  // namespace dorvex
