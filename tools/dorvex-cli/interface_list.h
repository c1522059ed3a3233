#pragma once
// dorvex-cli --list-interfaces: the capture adapters, in enumeration order.

#include <cstdio>

namespace dorvex::cli {

// One line per adapter: index, name and description, separated by tabs. Returns the exit status.
int ListInterfaces(std::FILE* out, std::FILE* err);

}  // namespace dorvex::cli
