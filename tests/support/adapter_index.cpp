#include "tests/support/adapter_index.h"

#include <pcap/pcap.h>

namespace dorvex::test {

int AdapterIndexOf(std::string_view name) {
  char error[PCAP_ERRBUF_SIZE];
  pcap_if_t* adapters = nullptr;
  if (pcap_findalldevs(&adapters, error) != 0) return -1;
  int index = 0;
  int found = -1;
  for (const pcap_if_t* a = adapters; a != nullptr && found < 0; a = a->next, ++index) {
    if (name == a->name) found = index;
  }
  pcap_freealldevs(adapters);
  return found;
}

}  // namespace dorvex::test
