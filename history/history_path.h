#pragma once
// Where the history file lives: "dorvex.sqlite" in the settings file's folder, unless the
// settings name another file.

#include <QString>

namespace dorvex {

// `fileSetting` is [History] File= (empty: not set); a relative name counts from the settings
// file's folder. `iniFileName` is the settings file (settings/ini_path's GetIniFileName).
QString HistoryFilePath(const QString& iniFileName, const QString& fileSetting = {});

}  // namespace dorvex
