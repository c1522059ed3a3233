#include "frame_builder.h"

#include <pcap/pcap.h>

#include <cstring>

namespace dorvex::test {

namespace {
void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 8);
  b[at + 1] = static_cast<std::uint8_t>(v);
}
}  // namespace

Bytes BuildDatagram(const DatagramLayout& layout) {
  const std::size_t ipLength = 20 + 4 * layout.ipOptionWords;
  const std::size_t tcpLength = 20 + 4 * layout.tcpOptionWords;
  Bytes d(ipLength + tcpLength, 0);
  d[0] = static_cast<std::uint8_t>(0x40 | layout.headerLengthNibble.value_or(ipLength / 4));
  const std::size_t total = ipLength + tcpLength + layout.payload.size();
  Put16(d, 2, layout.totalLength.value_or(static_cast<std::uint16_t>(total)));
  Put16(d, 6, layout.flagsAndFragmentOffset);
  d[8] = 64;
  d[9] = layout.protocol;
  d[12] = d[16] = 127;  // 127.0.0.1 to 127.0.0.1
  d[15] = d[19] = 1;
  for (std::size_t i = 20; i < ipLength; ++i) d[i] = 1;  // IPv4 no-operation options
  Put16(d, ipLength, layout.sourcePort);
  Put16(d, ipLength + 2, layout.destinationPort);
  d[ipLength + 12] =
      static_cast<std::uint8_t>(layout.dataOffsetNibble.value_or(tcpLength / 4) << 4);
  d[ipLength + 13] = 0x18;                                                      // PSH ACK
  for (std::size_t i = ipLength + 20; i < ipLength + tcpLength; ++i) d[i] = 1;  // TCP NOPs
  d.insert(d.end(), layout.payload.begin(), layout.payload.end());
  return d;
}

Bytes Payload(int length) {
  Bytes b(static_cast<std::size_t>(length));
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i % 251);
  return b;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

namespace {
// A link header of `size` zero bytes with the protocol `type` (big-endian) at `at`, then the
// datagram; the decoder reads nothing else of these headers.
Bytes WithHeader(std::size_t size, std::size_t at, std::uint16_t type, const Bytes& datagram) {
  Bytes h(size, 0);
  Put16(h, at, type);
  return Concat(h, datagram);
}
}  // namespace

Bytes WithEthernet(const Bytes& datagram, std::uint16_t etherType) {
  return WithHeader(14, 12, etherType, datagram);
}

Bytes WithLinuxCooked(const Bytes& datagram, std::uint16_t protocol) {
  return WithHeader(16, 14, protocol, datagram);
}

Bytes WithLinuxCookedV2(const Bytes& datagram, std::uint16_t protocol) {
  return WithHeader(20, 0, protocol, datagram);
}

Bytes WithLoopbackFamily(const Bytes& datagram, std::uint8_t family, bool bigEndian) {
  Bytes h(4, 0);
  h[bigEndian ? 3 : 0] = family;
  return Concat(h, datagram);
}

Bytes WorldListReply(const std::vector<std::pair<const char*, std::uint16_t>>& worlds) {
  Bytes reply(32 * worlds.size(), 0);
  for (std::size_t k = 0; k < worlds.size(); ++k) {
    std::uint8_t* record = &reply[32 * k];
    std::memcpy(record + 6, worlds[k].first, strnlen(worlds[k].first, 20));
    record[26] = static_cast<std::uint8_t>(worlds[k].second);
    record[27] = static_cast<std::uint8_t>(worlds[k].second >> 8);
  }
  if (!reply.empty()) {
    reply[0] = 0xD3;
    reply[1] = 0x0D;
  }
  return reply;
}

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
