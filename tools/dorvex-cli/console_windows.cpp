#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <cstdio>

#include "tools/dorvex-cli/console.h"

namespace dorvex::cli {

QStringList CommandLineArguments(int /*argc*/, char* /*argv*/[]) {
  int count = 0;
  wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
  QStringList arguments;
  for (int i = 1; words != nullptr && i < count; ++i) {
    arguments.append(QString::fromWCharArray(words[i]));
  }
  if (words != nullptr) LocalFree(words);
  return arguments;
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace dorvex::cli
