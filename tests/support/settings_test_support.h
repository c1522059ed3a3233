#pragma once
// A settings file in a fresh temporary folder, read and written as raw bytes.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace dorvex::testing {

class TempSettingsFile {
 public:
  TempSettingsFile() : path_(folder_.filePath(QStringLiteral("dorvex.ini"))) {}

  const QString& Path() const { return path_; }
  QString Folder() const { return folder_.path(); }

  void Write(const QByteArray& bytes) const {
    QFile file(path_);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) << "write";
  }
  QByteArray Read() const {
    QFile file(path_);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

 private:
  QTemporaryDir folder_;
  QString path_;
};

}  // namespace dorvex::testing
