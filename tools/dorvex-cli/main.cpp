// dorvex-cli: the report of world list payloads, without a window.

#include <QString>
#include <QStringList>
#include <cstdio>

#include "tools/dorvex-cli/cli_app.h"

int main(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
  return dorvex::cli::RunCli(arguments, stdout, stderr);
}
