#pragma once
// Running the built dorvex-cli: its exit status, standard output and standard error.

#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace dorvex::test {

struct ProgramRun {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

// Runs `program` in Tokyo time with a Japanese locale; `unprivileged`: as nobody when root.
inline ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                             bool unprivileged = false) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TZ"), QStringLiteral("Asia/Tokyo"));
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ja_JP.UTF-8"));
  process.setProcessEnvironment(env);
  if (unprivileged && geteuid() == 0) {
    process.setChildProcessModifier([] {
      if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) _exit(125);
    });
  }
  process.start(program, arguments);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return {};
  return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

}  // namespace dorvex::test
