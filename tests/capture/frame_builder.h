#pragma once
// Builds IPv4/TCP datagrams, wraps them in the link headers that the decoder understands and writes
// them into capture files through libpcap's own dump writer.

#include <sys/time.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dorvex::test {

using Bytes = std::vector<std::uint8_t>;

// An IPv4/TCP datagram to build; the setters chain: DatagramLayout().Payload(10).IpOptions(1).
struct DatagramLayout {
  int ipOptionWords = 0;   // 32-bit words of IPv4 options
  int tcpOptionWords = 0;  // 32-bit words of TCP options
  Bytes payload;
  std::uint8_t protocol = 6;
  std::uint16_t flagsAndFragmentOffset = 0x4000;  // don't fragment
  std::optional<int> headerLengthNibble;          // overrides the IPv4 header-length nibble
  std::optional<int> dataOffsetNibble;            // overrides the TCP data offset nibble
  std::optional<std::uint16_t> totalLength;       // overrides the IPv4 total length
  std::uint16_t sourcePort = 6900;
  std::uint16_t destinationPort = 50000;

  DatagramLayout& IpOptions(int words) { return Set(ipOptionWords, words); }
  DatagramLayout& TcpOptions(int words) { return Set(tcpOptionWords, words); }
  DatagramLayout& Payload(Bytes bytes) { return Set(payload, std::move(bytes)); }
  DatagramLayout& Protocol(std::uint8_t value) { return Set(protocol, value); }
  DatagramLayout& Fragment(std::uint16_t value) { return Set(flagsAndFragmentOffset, value); }
  DatagramLayout& HeaderLengthNibble(int value) { return Set(headerLengthNibble, value); }
  DatagramLayout& DataOffsetNibble(int value) { return Set(dataOffsetNibble, value); }
  DatagramLayout& TotalLength(std::uint16_t value) { return Set(totalLength, value); }
  DatagramLayout& Ports(std::uint16_t source, std::uint16_t destination) {
    sourcePort = source;
    return Set(destinationPort, destination);
  }

 private:
  template <typename Field, typename Value>
  DatagramLayout& Set(Field& field, Value&& value) {
    field = std::forward<Value>(value);
    return *this;
  }
};

Bytes BuildDatagram(const DatagramLayout& layout);
Bytes Payload(int length);  // bytes 0, 1, 2, ... modulo 251

Bytes WithEthernet(const Bytes& datagram, std::uint16_t etherType = 0x0800);
Bytes WithLinuxCooked(const Bytes& datagram, std::uint16_t protocol = 0x0800);
Bytes WithLinuxCookedV2(const Bytes& datagram, std::uint16_t protocol = 0x0800);
// BSD loopback: the address family in 32 bits of either byte order.
Bytes WithLoopbackFamily(const Bytes& datagram, std::uint8_t family, bool bigEndian);
Bytes Concat(Bytes a, const Bytes& b);

// A world list reply: leading value 3539 and one 32-byte record per (name, count).
Bytes WorldListReply(const std::vector<std::pair<const char*, std::uint16_t>>& worlds);

struct TimedFrame {
  timeval time;
  Bytes frame;
};
// False when libpcap cannot create the file.
bool WriteCaptureFile(const std::string& path, int linkType, const std::vector<TimedFrame>& frames);

}  // namespace dorvex::test
