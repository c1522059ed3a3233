#include "capture/trusted_program.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace dorvex {

namespace {

bool OwnedByRootOrMe(const struct stat& entry) {
  return entry.st_uid == 0 || entry.st_uid == geteuid();
}

// Group write counts as others' write unless the group is root's.
bool OthersCanWrite(const struct stat& entry) {
  return (entry.st_mode & S_IWOTH) != 0 || ((entry.st_mode & S_IWGRP) != 0 && entry.st_gid != 0);
}

}  // namespace

QString UntrustedProgramReason(const QString& path) {
  const QString real = QFileInfo(path).canonicalFilePath();
  if (real.isEmpty()) return QStringLiteral("it is not there");
  QString place = real;
  for (bool program = true;; program = false) {
    struct stat entry {};
    if (stat(QFile::encodeName(place).constData(), &entry) != 0) {
      return QStringLiteral("%1: %2").arg(place, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!OwnedByRootOrMe(entry)) {
      return QStringLiteral("%1 belongs to another user").arg(place);
    }
    const bool sticky = !program && (entry.st_mode & S_ISVTX) != 0;
    if (OthersCanWrite(entry) && !sticky) {
      return QStringLiteral("%1 can be changed by other users").arg(place);
    }
    if (place == QLatin1String("/")) return {};
    place = QFileInfo(place).path();
  }
}

}  // namespace dorvex
