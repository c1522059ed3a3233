#include "settings/ini_path.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <utility>

namespace dorvex {
namespace {

bool EndsFolderName(QChar c) {
  return c == u'/' || c == u'\\' || c == u':';
}

// Index of the character after the last "/", "\" or ":" (0 when there is none).
qsizetype FileNameStart(QStringView path) {
  for (qsizetype i = path.size(); i > 0; --i) {
    if (EndsFolderName(path[i - 1])) return i;
  }
  return 0;
}

QString& ExecutablePathOverride() {
  static QString path;
  return path;
}

QString RunningExecutablePath() {
  if (!ExecutablePathOverride().isEmpty()) return ExecutablePathOverride();
  if (QCoreApplication::instance() != nullptr) return QCoreApplication::applicationFilePath();
  return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

bool CanCreateFilesIn(const QString& folder) {
  const QFileInfo info(folder);
  return info.isDir() && info.isWritable();
}

}  // namespace

QString IniNameBeside(QStringView executablePath) {
  const qsizetype nameStart = FileNameStart(executablePath);
  const qsizetype dot = executablePath.lastIndexOf(u'.');
  const qsizetype stemEnd = dot >= nameStart ? dot : executablePath.size();
  return executablePath.first(stemEnd).toString() + QStringLiteral(".ini");
}

QString ResolveIniFileName(const IniLocationInputs& inputs) {
  const QString beside = IniNameBeside(inputs.executablePath);
  const qsizetype nameStart = FileNameStart(beside);
  const QString folder =
      nameStart == 0 ? QStringLiteral(".") : beside.first(nameStart > 1 ? nameStart - 1 : 1);
  // Beside the program where it may write there, but never in the system's program folders, which
  // only root can write: root's settings would be readable by all there.
  const bool systemFolder = folder == u"/usr" || folder.startsWith(u"/usr/") || folder == u"/opt" ||
                            folder.startsWith(u"/opt/");
  if (!systemFolder && inputs.folderWritable && inputs.folderWritable(folder)) return beside;

  const QString configHome = QDir::isAbsolutePath(inputs.xdgConfigHome)
                                 ? inputs.xdgConfigHome
                                 : inputs.homeFolder + QStringLiteral("/.config");
  return QDir::cleanPath(configHome + u'/' + inputs.folderName + u'/' + beside.sliced(nameStart));
}

QString GetIniFileName() {
  return ResolveIniFileName(PlatformIniLocationInputs(RunningExecutablePath(), CanCreateFilesIn));
}

ScopedExecutablePath::ScopedExecutablePath(QString executablePath)
    : previous_(std::exchange(ExecutablePathOverride(), std::move(executablePath))) {}

ScopedExecutablePath::~ScopedExecutablePath() {
  ExecutablePathOverride() = previous_;
}

}  // namespace dorvex
