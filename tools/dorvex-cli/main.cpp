// dorvex-cli: the report of world list payloads, without a window.

#include <cstdio>

#include "tools/dorvex-cli/cli_app.h"
#include "tools/dorvex-cli/console.h"

int main(int argc, char* argv[]) {
  dorvex::cli::UseBinaryStandardStreams();
  return dorvex::cli::RunCli(dorvex::cli::CommandLineArguments(argc, argv), stdout, stderr);
}
