#include "history/history_path.h"

#include <QDir>
#include <QFileInfo>

namespace dorvex {

QString HistoryFilePath(const QString& iniFileName, const QString& fileSetting) {
  const QDir folder = QFileInfo(iniFileName).absoluteDir();
  const QString name = fileSetting.isEmpty() ? QStringLiteral("dorvex.sqlite") : fileSetting;
  return QDir::cleanPath(folder.absoluteFilePath(name));
}

}  // namespace dorvex
