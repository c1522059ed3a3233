#pragma once
// Shared by the settings tests: a settings file in a fresh temporary folder, read and written as
// raw bytes, and readable test output for Qt strings.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <ostream>
#include <stdexcept>

inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
  *out << '"' << bytes.toStdString() << '"';
}

namespace dorvex::testing {

class TempSettingsFile {
 public:
  TempSettingsFile() : path_(folder_.filePath(QStringLiteral("dorvex.ini"))) {}

  const QString& Path() const { return path_; }
  QString Folder() const { return folder_.path(); }

  void Write(const QByteArray& bytes) const {
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
      throw std::runtime_error("cannot write " + path_.toStdString());
    }
  }
  QByteArray Read() const {
    QFile file(path_);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  bool Exists() const { return QFile::exists(path_); }

 private:
  QTemporaryDir folder_;
  QString path_;
};

}  // namespace dorvex::testing
