#pragma once
// dorvex-cli --list-interfaces: the capture adapters, in enumeration order.

#include <QString>
#include <cstdio>

namespace dorvex::cli {

// One line per adapter: index, name and description, separated by tabs; the adapter of the
// default route in the route table routeFile gets a fourth column, "(default route)". Returns the
// exit status.
int ListInterfaces(std::FILE* out, std::FILE* err,
                   const QString& routeFile = QStringLiteral("/proc/net/route"));

}  // namespace dorvex::cli
