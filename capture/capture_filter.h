#pragma once
// Compiles capture filter expressions and installs them on capture handles.

#include <pcap/pcap.h>

#include <QString>
#include <optional>

#include "capture/game_traffic.h"

namespace dorvex {

// nullopt on success; otherwise the library's text of why the filter does not compile or cannot
// be set. The compiled program is released either way.
std::optional<QString> InstallFilter(pcap_t* handle, const QString& filter, bpf_u_int32 netmask);

// The netmask that `filter`s of an adapter are compiled with: the mask of the adapter's first
// address when that address is IPv4, else PCAP_NETMASK_UNKNOWN.
bpf_u_int32 AdapterNetmask(const pcap_if_t& adapter);

// nullopt when `filter` compiles for Ethernet frames; otherwise the library's text of why not.
// Lets a caller name a bad filter as such before it opens an adapter.
std::optional<QString> CheckFilter(const QString& filter);

}  // namespace dorvex
