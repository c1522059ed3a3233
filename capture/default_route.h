#pragma once
// The adapter that carries this computer's IPv4 default route: the one the game most likely uses.

#include <QString>
#include <optional>

namespace dorvex {

// Reads a route table in the layout of /proc/net/route (a header line, then one route a line:
// Iface Destination Gateway Flags RefCnt Use Metric Mask ...) and returns the interface of the
// default route (destination and mask 00000000) with the lowest metric; the first listed wins a
// tie. A missing, unreadable or empty file, or one without such a route, gives nullopt; malformed
// lines are skipped.
// On Windows the system's route table is asked instead (routeFile is not read), and the adapter is
// named as Npcap lists it, "\Device\NPF_{GUID}".
std::optional<QString> DefaultRouteAdapter(
    const QString& routeFile = QStringLiteral("/proc/net/route"));

}  // namespace dorvex
