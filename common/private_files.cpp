#include "common/private_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace dorvex {

namespace {

QString ErrnoText(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

// Whether users other than the folder's owner (and root) can add or replace files in it.
bool OthersCanWrite(const struct stat& folder) {
  if ((folder.st_mode & S_IWOTH) != 0) return true;
  return (folder.st_mode & S_IWGRP) != 0 && folder.st_gid != getegid();
}

}  // namespace

QString UntrustedPathReason(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  const QByteArray folderName = QFile::encodeName(QFileInfo(path).absolutePath());
  struct stat folder {};
  if (stat(folderName.constData(), &folder) != 0) return {};  // nothing to open there yet
  if (OthersCanWrite(folder)) return QStringLiteral("its folder can be written by other users");
  struct stat link {};
  if (lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode) && link.st_uid != geteuid()) {
    return QStringLiteral("is a link made by another user");
  }
  return {};
}

bool MakePrivateFolder(const QString& folder, QString& error) {
  const QString absolute = QDir::cleanPath(QDir(folder).absolutePath());
  if (QFileInfo(absolute).isDir()) return true;
  const QString parent = QFileInfo(absolute).path();
  if (parent != absolute && !MakePrivateFolder(parent, error)) return false;
  if (mkdir(QFile::encodeName(absolute).constData(), 0700) == 0 || errno == EEXIST) return true;
  error = QStringLiteral("cannot create the folder %1: %2").arg(absolute, ErrnoText(errno));
  return false;
}

bool CreatePrivateFile(const QString& path, QString& error) {
  const int fd = open(QFile::encodeName(path).constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd >= 0) {
    close(fd);
    return true;
  }
  if (errno == EEXIST) return true;
  error = ErrnoText(errno);
  return false;
}

}  // namespace dorvex
