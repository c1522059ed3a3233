#pragma once
// Where the settings file lives: beside the executable, named after it, with ".ini".

#include <QString>
#include <QStringView>
#include <functional>

namespace dorvex {

// The executable path with its extension (from the last "." after the last "/", "\" or ":")
// replaced by ".ini"; a name without extension just gets ".ini".
QString IniNameBeside(QStringView executablePath);

// Everything the location rule looks at, so that it can be exercised without a real executable.
struct IniLocationInputs {
  QString executablePath;
  // Whether a file can be created in `folder` (the executable's folder).
  std::function<bool(const QString& folder)> folderWritable;
  QString xdgConfigHome;  // $XDG_CONFIG_HOME; ignored when empty or relative
  QString homeFolder;     // the user's home folder
  // The program's folder under the per-user configuration folder.
  QString folderName = QStringLiteral("dorvex");
};

// IniNameBeside(executablePath) when its folder can be written and is not under /usr or /opt;
// otherwise the same file name in `folderName` under the per-user configuration folder
// ($XDG_CONFIG_HOME, else ~/.config; on Windows %APPDATA%, given as xdgConfigHome).
QString ResolveIniFileName(const IniLocationInputs& inputs);

// The settings file of this program: ResolveIniFileName over the running executable, the real
// file system and the environment.
QString GetIniFileName();

// This platform's inputs for the running executable: on Linux the XDG folders, on Windows
// %APPDATA% with the folder "Dorvex".
IniLocationInputs PlatformIniLocationInputs(const QString& executablePath,
                                            std::function<bool(const QString&)> folderWritable);

// For tests: while alive, GetIniFileName starts from `executablePath` instead of the running
// executable. Instances nest; the previous path comes back on destruction.
class ScopedExecutablePath {
 public:
  explicit ScopedExecutablePath(QString executablePath);
  ~ScopedExecutablePath();
  ScopedExecutablePath(const ScopedExecutablePath&) = delete;
  ScopedExecutablePath& operator=(const ScopedExecutablePath&) = delete;

 private:
  QString previous_;
};

}  // namespace dorvex
