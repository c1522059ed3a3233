#pragma once
// Writing the report to standard output.

#include <QByteArray>
#include <QString>
#include <cstdio>

#include "tools/dorvex-cli/cli_options.h"

namespace dorvex::cli {

// The report text in the chosen encoding; characters that code page 932 lacks become '?'.
QByteArray EncodeReport(const QString& text, OutputEncoding encoding);

// Writes all bytes unchanged (no newline translation) and flushes; false on a write error.
bool WriteAll(std::FILE* stream, const QByteArray& bytes);

}  // namespace dorvex::cli
