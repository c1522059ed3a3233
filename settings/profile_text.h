#pragma once
// The bytes of an ini-format file, with look-ups and single-value replacements that leave every
// other byte as it was. Works on lines as bytes so that text in any encoding survives a rewrite.

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <optional>

namespace dorvex {

class ProfileText {
 public:
  explicit ProfileText(QByteArray bytes) : bytes_(std::move(bytes)) {}

  const QByteArray& Bytes() const { return bytes_; }

  // The value of the first `key` in the first `section`, blanks around it removed; nullopt when
  // either is missing.
  std::optional<QByteArray> Value(QStringView section, QStringView key) const;

  // Whether SetValue can store these as one "[section]" and one "key=value" line that read back
  // the same: no line breaks anywhere, no "]" in the section, and a key that is not blank, holds
  // no "=" and does not start like a comment or a section. Names are compared without the blanks
  // at their ends.
  static bool CanStore(QStringView section, QStringView key, QByteArrayView value);

  // Replaces the first `key` of the first `section` with `value`, appending the key at the end of
  // its section or the section at the end of the text when missing. Returns whether the text
  // changed. Requires CanStore(section, key, value).
  bool SetValue(QStringView section, QStringView key, QByteArrayView value);

 private:
  QByteArray bytes_;
};

}  // namespace dorvex
