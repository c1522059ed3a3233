#pragma once
// Short text held inline: a world name of a reply has at most 20 characters, and holding it
// inline lets a reply's new names reach the count store without an allocation each. Longer text
// is held as a QString.

#include <QString>
#include <QStringView>
#include <array>
#include <cstddef>
#include <cstdint>

namespace dorvex {

class InlineText {
 public:
  static constexpr std::size_t kInlineSize = 20;

  InlineText() = default;
  explicit InlineText(QStringView text);

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

}  // namespace dorvex
