#pragma once
// Where the loopback adapter "lo" stands in the capture library's adapter order.

namespace dorvex::test {

// The index of "lo" among pcap_findalldevs' adapters (the window's adapter index), -1 when absent.
int LoopbackAdapterIndex();

}  // namespace dorvex::test
