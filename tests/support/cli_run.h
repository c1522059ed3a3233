#pragma once
// Running the built dorvex-cli: its exit status, standard output and standard error.

#ifndef _WIN32
#include <unistd.h>
#endif

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace dorvex::test {

// Whether Unix file modes keep a user out (not so on Windows), and Tokyo time as TZ (the C
// runtime of Windows reads TZ in the POSIX form only).
#ifdef _WIN32
inline constexpr bool kUnixFileModes = false;
inline constexpr char kTokyoTz[] = "JST-9";
#else
inline constexpr bool kUnixFileModes = true;
inline constexpr char kTokyoTz[] = "Asia/Tokyo";
#endif

struct ProgramRun {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

// Runs `program` in Tokyo time with a Japanese locale; `unprivileged`: as nobody when root (Linux).
inline ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                             bool unprivileged = false) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TZ"), QString::fromLatin1(kTokyoTz));
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ja_JP.UTF-8"));
  process.setProcessEnvironment(env);
#ifndef _WIN32
  if (unprivileged && geteuid() == 0) {
    process.setChildProcessModifier([] {
      if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) _exit(125);
    });
  }
#else
  (void)unprivileged;
#endif
  process.start(program, arguments);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return {};
  return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

}  // namespace dorvex::test
