#include <QDir>
#include <QStandardPaths>

#include "settings/ini_path.h"

namespace dorvex {

// An installed copy (under Program Files, which users cannot write) keeps its settings in
// %APPDATA%\Dorvex.
IniLocationInputs PlatformIniLocationInputs(const QString& executablePath,
                                            std::function<bool(const QString&)> folderWritable) {
  QString appData = qEnvironmentVariable("APPDATA");
  if (!QDir::isAbsolutePath(appData)) {
    appData = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  }
  return {executablePath, std::move(folderWritable), QDir::fromNativeSeparators(appData),
          QDir::homePath(), QStringLiteral("Dorvex")};
}

}  // namespace dorvex
