// Windows: the per-user folders Dorvex writes in (beside the program, or under %APPDATA%) inherit
// their owner-only access from Windows' own folder rules; what is checked here is links.

#include <windows.h>

#include <QDir>
#include <QFileInfo>

#include "common/private_files.h"

namespace dorvex {

namespace {

QString SystemText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  QString message = length > 0 ? QString::fromWCharArray(text, static_cast<qsizetype>(length))
                               : QStringLiteral("error %1").arg(error);
  if (text) LocalFree(text);
  return message.trimmed();
}

}  // namespace

QString UntrustedPathReason(const QString& path) {
  const QFileInfo info(path);
  if (info.isSymbolicLink() || info.isJunction()) {
    return QStringLiteral("is a link, which Dorvex does not follow");
  }
  return {};
}

bool MakePrivateFolder(const QString& folder, QString& error) {
  const QString absolute = QDir::cleanPath(QDir(folder).absolutePath());
  if (QFileInfo(absolute).isDir() || QDir().mkpath(absolute)) return true;
  error = QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(absolute));
  return false;
}

bool CreatePrivateFile(const QString& path, QString& error) {
  // A new file only; a link in its place is opened as the link itself, never followed.
  const HANDLE file = CreateFileW(
      reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()), GENERIC_WRITE, 0,
      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return true;
  }
  const DWORD failure = GetLastError();
  if (failure == ERROR_FILE_EXISTS || failure == ERROR_ALREADY_EXISTS) return true;
  error = SystemText(failure);
  return false;
}

}  // namespace dorvex
