#pragma once
// Text that came from the network or a file, made fit to show: a world name must neither add lines
// nor move the text around it.

#include <QString>

namespace dorvex {

// `text` with every control character (C0, DEL, C1), line or paragraph separator and format
// character (bidirectional overrides, zero-width joiners...) replaced by U+FFFD.
QString ShownText(QString text);

}  // namespace dorvex
