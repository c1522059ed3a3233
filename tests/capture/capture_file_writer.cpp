#include "capture_file_writer.h"

#include <pcap/pcap.h>

namespace dorvex::test {

bool WriteCaptureFile(const std::string& path, int linkType,
                      const std::vector<TimedFrame>& frames) {
  pcap_t* dead = pcap_open_dead(linkType, 65535);
  if (!dead) return false;
  pcap_dumper_t* dumper = pcap_dump_open(dead, path.c_str());
  if (!dumper) {
    pcap_close(dead);
    return false;
  }
  for (const TimedFrame& f : frames) {
    pcap_pkthdr header{};
    header.ts = f.time;
    header.caplen = header.len = static_cast<bpf_u_int32>(f.frame.size());
    pcap_dump(reinterpret_cast<u_char*>(dumper), &header, f.frame.data());
  }
  pcap_dump_close(dumper);
  pcap_close(dead);
  return true;
}

}  // namespace dorvex::test
