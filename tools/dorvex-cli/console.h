#pragma once
// The program's console as this platform gives it: the command line's arguments as typed, and
// standard streams that pass bytes unchanged.

#include <QStringList>

namespace dorvex::cli {

// The arguments after the program's name (on Windows from the wide command line, so that any
// file name arrives whole).
QStringList CommandLineArguments(int argc, char* argv[]);

// Makes standard output and standard error write bytes as they are (Windows would turn "\n" into
// "\r\n" after the report's own "\r\n").
void UseBinaryStandardStreams();

}  // namespace dorvex::cli
