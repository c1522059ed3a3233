#pragma once
// Compiles capture filter expressions and installs them on capture handles.

#include <pcap/pcap.h>

#include <QString>
#include <optional>

namespace dorvex {

// The traffic of the game's login server: the filter the window and dorvex-cli capture with.
inline constexpr char kGameTrafficFilter[] = "tcp port 6900";

// nullopt on success; otherwise the library's text of why the filter does not compile or cannot
// be set. The compiled program is released either way.
std::optional<QString> InstallFilter(pcap_t* handle, const QString& filter, bpf_u_int32 netmask);

// nullopt when `filter` compiles for Ethernet frames; otherwise the library's text of why not.
// Lets a caller name a bad filter as such before it opens an adapter.
std::optional<QString> CheckFilter(const QString& filter);

}  // namespace dorvex
