// Windows: the default route from the system's route table (IP Helper), named as Npcap names the
// adapter ("\Device\NPF_{GUID}"). The route file of the Linux build is not read.

#include <winsock2.h>
#include <ws2ipdef.h>
// After the socket headers, which it needs.
#include <iphlpapi.h>

#include <QUuid>

#include "capture/default_route.h"

namespace dorvex {

std::optional<QString> DefaultRouteAdapter(const QString& /*routeFile*/) {
  MIB_IPFORWARD_TABLE2* table = nullptr;
  if (GetIpForwardTable2(AF_INET, &table) != NO_ERROR || table == nullptr) return std::nullopt;
  const MIB_IPFORWARD_ROW2* best = nullptr;
  for (ULONG i = 0; i < table->NumEntries; ++i) {
    const MIB_IPFORWARD_ROW2& route = table->Table[i];
    if (route.DestinationPrefix.PrefixLength != 0) continue;  // not a default route
    if (best == nullptr || route.Metric < best->Metric) best = &route;
  }
  std::optional<QString> adapter;
  GUID guid{};
  if (best != nullptr && ConvertInterfaceLuidToGuid(&best->InterfaceLuid, &guid) == NO_ERROR) {
    adapter = QStringLiteral("\\Device\\NPF_") + QUuid(guid).toString(QUuid::WithBraces).toUpper();
  }
  FreeMibTable(table);
  return adapter;
}

}  // namespace dorvex
