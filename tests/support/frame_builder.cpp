#include "tests/support/frame_builder.h"

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
  return Concat(d, layout.payload);
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

Bytes WithHeader(std::size_t size, std::size_t at, std::uint16_t type, const Bytes& datagram) {
  Bytes h(size, 0);
  Put16(h, at, type);
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
  if (!reply.empty()) Put16(reply, 0, 0xD30D);
  return reply;
}

}  // namespace dorvex::test
