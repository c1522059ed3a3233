#pragma once
// The settings file object: typed reads and writes of one ini-format file, each going to the
// disk at once. Nothing is cached; reading never creates the file; every write replaces the file
// atomically and keeps all of its other lines (comments, blank lines, order, other sections).
//
// File format: "[section]" lines open sections, "key=value" lines are entries. Section and key
// names match with letter case ignored; blanks around names and values are ignored; quotes are
// part of the value; lines starting with ";" or "#" are comments. The first of duplicate sections
// or keys is the one read and written. Text is UTF-8; bytes that are not (a file saved in another
// code page) are kept unchanged by writes to other keys. Each line keeps its own line end; new
// lines take the file's first line end (LF for a new file).

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace dorvex {

// A settings write that was refused. Message() is "<path> に書き込めません"; Reason() says why.
class EIniFileException : public std::runtime_error {
 public:
  EIniFileException(const QString& fileName, const QString& reason);

  QString Message() const { return QString::fromUtf8(what()); }
  const QString& FileName() const { return fileName_; }
  const QString& Reason() const { return reason_; }

 private:
  QString fileName_;
  QString reason_;
};

class TIniFile {
 public:
  // Binds the object to `fileName`; does not touch the disk.
  explicit TIniFile(QString fileName);

  const QString& FileName() const { return fileName_; }

  // The key's value (cut to 2047 characters), or `defaultValue` when the file, the section or the
  // key is missing or the file cannot be read.
  QString ReadString(const QString& section, const QString& ident,
                     const QString& defaultValue) const;
  // Decimal, or hexadecimal after "$", "x", "X", "0x" or "0X" (eight digits as a 32-bit
  // pattern); `defaultValue` for an empty, unreadable or out-of-range value.
  std::int32_t ReadInteger(const QString& section, const QString& ident,
                           std::int32_t defaultValue) const;
  // True exactly when the value reads as a nonzero integer; `defaultValue` when it does not read.
  bool ReadBool(const QString& section, const QString& ident, bool defaultValue) const;

  // Sets the key's value, creating the file (0600, and its folder 0700), the section and the key
  // as needed. Throws EIniFileException when the file cannot be written, is not this user's to
  // trust (see UntrustedPathReason; it is then also read as missing) or the names or value cannot
  // be stored as one line; the file is then left as it was.
  void WriteString(const QString& section, const QString& ident, const QString& value);
  void WriteInteger(const QString& section, const QString& ident, std::int32_t value);
  void WriteBool(const QString& section, const QString& ident, bool value);

 private:
  QString fileName_;
};

}  // namespace dorvex
