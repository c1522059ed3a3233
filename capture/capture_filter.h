#pragma once
// Compiles a capture filter expression and installs it on a capture handle.

#include <pcap/pcap.h>

#include <QString>
#include <optional>

namespace dorvex {

// nullopt on success; otherwise the library's text of why the filter does not compile or cannot
// be set. The compiled program is released either way.
std::optional<QString> InstallFilter(pcap_t* handle, const QString& filter, bpf_u_int32 netmask);

}  // namespace dorvex
