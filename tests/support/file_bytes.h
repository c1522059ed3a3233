#pragma once
// Whole files as raw bytes, for tests that plant a file and check it was left as it was.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace dorvex::test {

// Creates or replaces `path` with `bytes`; false when it cannot be written whole.
[[nodiscard]] inline bool WriteFileBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The bytes of `path`, or "<unreadable>" so that a comparison with expected content fails.
inline QByteArray ReadFileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

}  // namespace dorvex::test
