#include "tally/inline_text.h"

#include <QHashFunctions>
#include <QVarLengthArray>
#include <algorithm>
#include <cstring>

namespace dorvex {

InlineText::InlineText(QStringView text) {
  if (static_cast<std::size_t>(text.size()) > kInlineSize) {
    longer_ = text.toString();
    return;
  }
  std::copy(text.utf16(), text.utf16() + text.size(), chars_.begin());
  size_ = static_cast<std::uint8_t>(text.size());
}

QString InlineText::ToString() const {
  return size_ != 0 ? QString(reinterpret_cast<const QChar*>(chars_.data()), size_) : longer_;
}

std::size_t InlineText::Hash() const {
  if (size_ == 0) return qHash(longer_);
  // Four chars a word: a short name costs a few multiplications.
  std::uint64_t hash = size_;
  // Chars past size_ are zero, so that whole words may be read.
  static_assert(kInlineSize % 4 == 0);
  for (std::size_t i = 0; i < size_; i += 4) {
    std::uint64_t word = 0;
    std::memcpy(&word, chars_.data() + i, sizeof word);
    hash = (hash ^ word) * 0x9E3779B97F4A7C15u;
    hash ^= hash >> 29;
  }
  // The last steps of MurmurHash3's fmix64: every bit of the words reaches the low bits, which
  // choose a slot index's cell.
  hash ^= hash >> 33;
  hash *= 0xFF51AFD7ED558CCDu;
  hash ^= hash >> 33;
  return static_cast<std::size_t>(hash);
}

InlineText FoldedKey(QStringView name) {
  // Nearly every name is ASCII, kana and ideographs: folded into a key of the same length.
  if (static_cast<std::size_t>(name.size()) <= InlineText::kInlineSize) {
    std::array<char16_t, InlineText::kInlineSize> simple{};
    std::size_t length = 0;
    while (length < static_cast<std::size_t>(name.size()) &&
           (simple[length] = FoldedSimply(name[static_cast<qsizetype>(length)].unicode())) != 0) {
      ++length;
    }
    if (length == static_cast<std::size_t>(name.size())) return InlineText(simple, length);
  }
  QVarLengthArray<char16_t, InlineText::kInlineSize> key;
  for (qsizetype i = 0; i < name.size(); ++i) {
    char32_t c = name[i].unicode();
    if (const char16_t simple = FoldedSimply(name[i].unicode()); simple != 0 || c == 0) {
      key.append(simple);
      continue;
    }
    if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(name[i].unicode(), name[i + 1].unicode());
      ++i;
    }
    const char32_t folded = QChar::toCaseFolded(c);
    if (QChar::requiresSurrogates(folded)) {
      key.append(QChar::highSurrogate(folded));
      key.append(QChar::lowSurrogate(folded));
    } else {
      key.append(static_cast<char16_t>(folded));
    }
  }
  return InlineText(QStringView(key.data(), key.size()));
}

}  // namespace dorvex
