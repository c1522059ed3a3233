// Writes the replay benchmark's capture file: Ethernet frames on loopback addresses, in a fixed
// mix per 20 frames: 1 world list reply (24 worlds), 9 other port-6900 payloads, 8 pure
// acknowledgements and 2 frames of another port.
//   make_bench_capture FILE [FRAMES]   (default 1000000 frames)

#include <pcap/pcap.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/frame_builder.h"

namespace {

using dorvex::test::Bytes;
using dorvex::test::DatagramLayout;

Bytes Frame(const Bytes& payload, std::uint16_t sourcePort = 6900) {
  return dorvex::test::WithEthernet(
      dorvex::test::BuildDatagram(DatagramLayout().Payload(payload).Ports(sourcePort, 50000)));
}

std::vector<Bytes> FramesOfOneRound() {
  std::vector<std::pair<std::string, std::uint16_t>> worlds;
  for (int i = 0; i < 24; ++i) worlds.emplace_back("world" + std::to_string(i), 100 + 37 * i);
  std::vector<std::pair<const char*, std::uint16_t>> records;
  for (const auto& [name, count] : worlds) records.emplace_back(name.c_str(), count);

  std::vector<Bytes> round;
  round.push_back(Frame(dorvex::test::WorldListReply(records)));
  for (int i = 0; i < 9; ++i) round.push_back(Frame(dorvex::test::Payload(40 + 20 * i)));
  for (int i = 0; i < 8; ++i) round.push_back(Frame({}));
  for (int i = 0; i < 2; ++i) round.push_back(Frame(dorvex::test::Payload(100), 80));
  return round;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_bench_capture FILE [FRAMES]\n");
    return 2;
  }
  const long frames = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1000000;
  pcap_t* dead = pcap_open_dead(DLT_EN10MB, 65535);
  pcap_dumper_t* dumper = dead ? pcap_dump_open(dead, argv[1]) : nullptr;
  if (!dumper) {
    std::fprintf(stderr, "make_bench_capture: %s: %s\n", argv[1],
                 dead ? pcap_geterr(dead) : "cannot open");
    return 1;
  }
  const std::vector<Bytes> round = FramesOfOneRound();
  pcap_pkthdr header{};
  header.ts.tv_sec = 1700000000;
  for (long i = 0; i < frames; ++i) {
    const Bytes& frame = round[static_cast<std::size_t>(i) % round.size()];
    header.ts.tv_usec = static_cast<suseconds_t>((i % 1000) * 1000);
    if (i % 1000 == 0 && i > 0) ++header.ts.tv_sec;
    header.caplen = header.len = static_cast<bpf_u_int32>(frame.size());
    pcap_dump(reinterpret_cast<u_char*>(dumper), &header, frame.data());
  }
  pcap_dump_close(dumper);
  pcap_close(dead);
  return 0;
}
