#include "tools/dorvex-cli/console.h"

namespace dorvex::cli {

QStringList CommandLineArguments(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
  return arguments;
}

void UseBinaryStandardStreams() {}  // Linux streams never translate

}  // namespace dorvex::cli
