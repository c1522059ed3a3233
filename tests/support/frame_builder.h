#pragma once
// Builds IPv4/TCP datagrams and wraps them in link headers.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace dorvex::test {

using Bytes = std::vector<std::uint8_t>;

struct DatagramLayout {
  std::size_t ipOptionWords = 0;  // 32-bit words of no-operation options
  std::size_t tcpOptionWords = 0;
  Bytes payload{};
  std::uint8_t protocol = 6;
  std::uint16_t flagsAndFragmentOffset = 0x4000;  // don't fragment
  std::optional<int> headerLengthNibble{};
  std::optional<int> dataOffsetNibble{};
  std::optional<std::uint16_t> totalLength{};
  std::uint16_t sourcePort = 6900, destinationPort = 50000;

  DatagramLayout& TcpOptions(std::size_t words) { return Set(tcpOptionWords, words); }
  DatagramLayout& Payload(Bytes bytes) { return Set(payload, std::move(bytes)); }
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
Bytes Concat(Bytes a, const Bytes& b);

// `size` zero bytes with the big-endian protocol `type` at `at`, then the datagram.
Bytes WithHeader(std::size_t size, std::size_t at, std::uint16_t type, const Bytes& datagram);
inline Bytes WithEthernet(const Bytes& datagram, std::uint16_t etherType = 0x0800) {
  return WithHeader(14, 12, etherType, datagram);
}
inline Bytes WithLinuxCookedV2(const Bytes& datagram, std::uint16_t protocol = 0x0800) {
  return WithHeader(20, 0, protocol, datagram);
}

// A world list reply: leading value 3539 and one 32-byte record per (name, count).
Bytes WorldListReply(const std::vector<std::pair<const char*, std::uint16_t>>& worlds);

}  // namespace dorvex::test
