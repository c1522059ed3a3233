#include <QDir>

#include "settings/ini_path.h"

namespace dorvex {

IniLocationInputs PlatformIniLocationInputs(const QString& executablePath,
                                            std::function<bool(const QString&)> folderWritable) {
  return {executablePath, std::move(folderWritable), qEnvironmentVariable("XDG_CONFIG_HOME"),
          QDir::homePath()};
}

}  // namespace dorvex
