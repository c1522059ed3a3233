#pragma once
// Readable one-line names for parameterised test cases (CTest names the tests after them).

#include <ostream>
#include <string>

namespace dorvex::test {

// `text` with each line end shown as " | ", "(none)" for null and "(empty)" for "".
inline std::string OneLine(const char* text) {
  if (text == nullptr) return "(none)";
  std::string line;
  for (const char* c = text; *c != '\0'; ++c)
    line += *c == '\n' ? std::string(" | ") : std::string(1, *c);
  return line.empty() ? "(empty)" : line;
}

}  // namespace dorvex::test
