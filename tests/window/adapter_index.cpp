#include "loopback_adapter.h"

#include <pcap/pcap.h>

#include <string_view>

namespace dorvex::test {

int LoopbackAdapterIndex() {
  char error[PCAP_ERRBUF_SIZE];
  pcap_if_t* adapters = nullptr;
  if (pcap_findalldevs(&adapters, error) != 0) return -1;
  int index = 0;
  int found = -1;
  for (const pcap_if_t* a = adapters; a != nullptr && found < 0; a = a->next, ++index) {
    if (std::string_view(a->name) == "lo") found = index;
  }
  pcap_freealldevs(adapters);
  return found;
}

}  // namespace dorvex::test
