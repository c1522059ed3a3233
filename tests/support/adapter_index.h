#pragma once
// Where an adapter stands in the capture library's adapter order (the window's adapter index).

#include <string_view>

namespace dorvex::test {

// The index of the adapter named `name` among pcap_findalldevs' adapters, -1 when absent.
int AdapterIndexOf(std::string_view name);

inline int LoopbackAdapterIndex() {
  return AdapterIndexOf("lo");
}

}  // namespace dorvex::test
