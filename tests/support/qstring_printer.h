#pragma once
// Lets GoogleTest print QString values as UTF-8 text in failure messages.

#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}
