#pragma once
// dorvex-cli's whole run: options, payload sources, report, output.

#include <QStringList>
#include <cstdio>

namespace dorvex::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// `arguments` excludes the program name. Writes the report to `out` only on success and one
// line per error to `err`; returns the exit status.
int RunCli(const QStringList& arguments, std::FILE* out, std::FILE* err);

}  // namespace dorvex::cli
