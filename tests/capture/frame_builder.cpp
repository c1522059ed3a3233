#include "frame_builder.h"

#include <cstring>

namespace dorvex::test {

namespace {
void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 8);
  b[at + 1] = static_cast<std::uint8_t>(v);
}
}  // namespace

Bytes BuildDatagram(const DatagramSpec& spec) {
  const std::size_t ipLength = 20 + 4 * spec.ipOptionWords;
  const std::size_t tcpLength = 20 + 4 * spec.tcpOptionWords;
  Bytes d(ipLength + tcpLength, 0);
  d[0] = static_cast<std::uint8_t>(0x40 | spec.headerLengthNibble.value_or(ipLength / 4));
  const std::size_t total = ipLength + tcpLength + spec.payload.size();
  Put16(d, 2, spec.totalLength.value_or(static_cast<std::uint16_t>(total)));
  Put16(d, 6, spec.flagsAndFragmentOffset);
  d[8] = 64;
  d[9] = spec.protocol;
  const std::uint8_t loopback[4] = {127, 0, 0, 1};
  std::memcpy(&d[12], loopback, 4);
  std::memcpy(&d[16], loopback, 4);
  for (std::size_t i = 20; i < ipLength; ++i) d[i] = 1;  // IPv4 no-operation options
  Put16(d, ipLength, spec.sourcePort);
  Put16(d, ipLength + 2, spec.destinationPort);
  d[ipLength + 12] = static_cast<std::uint8_t>(spec.dataOffsetNibble.value_or(tcpLength / 4) << 4);
  d[ipLength + 13] = 0x18;                                                      // PSH ACK
  for (std::size_t i = ipLength + 20; i < ipLength + tcpLength; ++i) d[i] = 1;  // TCP NOPs
  d.insert(d.end(), spec.payload.begin(), spec.payload.end());
  return d;
}

Bytes Payload(int length) {
  Bytes b(static_cast<std::size_t>(length));
  for (int i = 0; i < length; ++i)
    b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i % 251);
  return b;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes WithEthernet(const Bytes& datagram, std::uint16_t etherType) {
  Bytes h(14, 0);
  Put16(h, 12, etherType);
  return Concat(h, datagram);
}

Bytes WithLinuxCooked(const Bytes& datagram, std::uint16_t protocol) {
  Bytes h(16, 0);
  Put16(h, 2, 772);  // ARPHRD_LOOPBACK
  Put16(h, 4, 6);
  Put16(h, 14, protocol);
  return Concat(h, datagram);
}

Bytes WithLinuxCookedV2(const Bytes& datagram, std::uint16_t protocol) {
  Bytes h(20, 0);
  Put16(h, 0, protocol);
  h[7] = 1;  // interface index
  Put16(h, 8, 772);
  h[11] = 6;
  return Concat(h, datagram);
}

Bytes WithLoopbackFamily(const Bytes& datagram, std::uint32_t family, bool bigEndian) {
  Bytes h(4);
  for (int i = 0; i < 4; ++i) {
    const int shift = bigEndian ? 24 - 8 * i : 8 * i;
    h[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(family >> shift);
  }
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

}  // namespace dorvex::test
