#pragma once
// Short text held inline: a world name of a reply has at most 20 characters, and holding it
// inline lets a reply's new names reach the count store without an allocation each. Longer text
// is held as a QString.

#include <QString>
#include <QStringView>
#include <array>
#include <cstddef>
#include <cstdint>

#include "tally/shown_text.h"

namespace dorvex {

class InlineText {
 public:
  static constexpr std::size_t kInlineSize = 20;

  InlineText() = default;
  explicit InlineText(QStringView text);
  // The first `size` chars of `chars` (size at most kInlineSize; every char after them zero),
  // copied whole: a fixed-size copy, not a call for each short name.
  InlineText(const std::array<char16_t, kInlineSize>& chars, std::size_t size)
      : chars_(chars), size_(static_cast<std::uint8_t>(size)) {}

  InlineText(const InlineText&) = default;
  InlineText(InlineText&&) = default;
  InlineText& operator=(InlineText&&) = default;
  // Most texts are inline: their copies skip the (empty) longer text's out-of-line assignment.
  InlineText& operator=(const InlineText& other) {
    chars_ = other.chars_;
    size_ = other.size_;
    if (!longer_.isNull() || !other.longer_.isNull()) longer_ = other.longer_;
    return *this;
  }

  QStringView View() const {
    return size_ != 0 ? QStringView(chars_.data(), size_) : QStringView(longer_);
  }
  QString ToString() const;
  std::size_t Hash() const;
  bool IsEmpty() const { return size_ == 0 && longer_.isEmpty(); }

  friend bool operator==(const InlineText& a, const InlineText& b) { return a.View() == b.View(); }

 private:
  std::array<char16_t, kInlineSize> chars_{};  // zero past size_
  std::uint8_t size_ = 0;                      // of chars_; 0 when longer_ holds the text
  QString longer_;
};

// `name`'s key under which names equal letter case aside meet: each code point case-folded, as
// QString::compare with Qt::CaseInsensitive folds them.
InlineText FoldedKey(QStringView name);

// `c` as FoldedKey folds it when it is ASCII (A-Z to a-z), kana or an ideograph (themselves),
// nearly every character of a name; 0 for any other character and for 0.
inline char16_t FoldedSimply(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + (u'a' - u'A'));
  return c != 0 && (c < 0x80 || IsKanaOrIdeograph(c)) ? c : 0;
}

}  // namespace dorvex
