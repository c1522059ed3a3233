// The frame decoder over frames built in the test, for every supported link type.

#include "frame_decoder.h"

#include <gtest/gtest.h>
#include <pcap/dlt.h>

#include <memory>
#include <optional>
#include <string>

#include "frame_builder.h"

namespace dorvex {
namespace {

using test::Bytes;
using test::DatagramLayout;

struct DecodeCase {
  std::string name;
  int linkType;
  Bytes frame;
  std::size_t dataOffset = 0;  // from the start of the frame; 0: dropped
  std::int32_t length = 0;
  std::uint32_t captured = 0;  // 0: the whole frame
};

// A datagram with a payload of `payload` bytes, as `layout` says otherwise.
Bytes Tcp(int payload, DatagramLayout layout = {}) {
  return test::BuildDatagram(layout.Payload(test::Payload(payload)));
}
Bytes Eth(int payload, DatagramLayout layout = {}) {
  return test::WithEthernet(Tcp(payload, std::move(layout)));
}

// The frame copied into a heap block of exactly the captured length, so that the address
// sanitizer catches any read past it.
std::unique_ptr<std::uint8_t[]> CapturedCopy(const Bytes& frame, std::uint32_t captured) {
  auto copy = std::make_unique<std::uint8_t[]>(captured);
  std::copy_n(frame.begin(), captured, copy.get());
  return copy;
}

std::vector<DecodeCase> Cases() {
  const Bytes tcp10 = Tcp(10);
  Bytes ipv6 = tcp10;
  ipv6[0] = 0x65;
  return {
      {"Ethernet", DLT_EN10MB, Eth(10), 54, 10},
      {"EthernetIPv6Dropped", DLT_EN10MB, test::WithEthernet(tcp10, 0x86DD)},
      {"UdpDropped", DLT_EN10MB, Eth(8, DatagramLayout().Protocol(17))},
      // A pure acknowledgement padded to the 60-byte minimum frame: padding is not payload.
      {"PaddedAckDropped", DLT_EN10MB, test::Concat(Eth(0), Bytes(6, 0xEE))},
      {"PaddingAfterPayloadNotCounted", DLT_EN10MB, test::Concat(Eth(2), Bytes(4, 0xEE)), 54, 2},
      {"IpAndTcpOptions", DLT_EN10MB, Eth(5, DatagramLayout().IpOptions(1).TcpOptions(10)), 98, 5},
      {"IpHeaderLengthBelow5Dropped", DLT_EN10MB, Eth(10, DatagramLayout().HeaderLengthNibble(4))},
      {"TcpDataOffsetBelow5Dropped", DLT_EN10MB, Eth(10, DatagramLayout().DataOffsetNibble(4))},
      {"FirstFragment", DLT_EN10MB, Eth(10, DatagramLayout().Fragment(0x2000)), 54, 10},
      {"LaterFragmentDropped", DLT_EN10MB, Eth(10, DatagramLayout().Fragment(0x2003))},
      {"TotalLengthBelowHeadersDropped", DLT_EN10MB, Eth(10, DatagramLayout().TotalLength(30))},
      {"TotalLengthBeyondFrameCut", DLT_EN10MB, Eth(10, DatagramLayout().TotalLength(1500)), 54,
       10},
      {"SnapLengthCutsPayload", DLT_EN10MB, Eth(1460), 54, 46, 100},
      {"LinuxCooked", DLT_LINUX_SLL, test::WithLinuxCooked(tcp10), 56, 10},
      {"LinuxCookedIPv6Dropped", DLT_LINUX_SLL, test::WithLinuxCooked(tcp10, 0x86DD)},
      {"LinuxCookedV2", DLT_LINUX_SLL2, test::WithLinuxCookedV2(tcp10), 60, 10},
      {"LinuxCookedV2IPv6Dropped", DLT_LINUX_SLL2, test::WithLinuxCookedV2(tcp10, 0x86DD)},
      {"NullLittleEndian", DLT_NULL, test::WithLoopbackFamily(tcp10, 2, false), 44, 10},
      {"NullBigEndian", DLT_NULL, test::WithLoopbackFamily(tcp10, 2, true), 44, 10},
      {"NullIPv6Dropped", DLT_NULL, test::WithLoopbackFamily(tcp10, 24, false)},
      {"Loop", DLT_LOOP, test::WithLoopbackFamily(tcp10, 2, true), 44, 10},
      {"LoopLittleEndianDropped", DLT_LOOP, test::WithLoopbackFamily(tcp10, 2, false)},
      {"RawIPv4", DLT_RAW, tcp10, 40, 10},
      {"LinktypeIPv4", DLT_IPV4, tcp10, 40, 10},
      {"RawIPv6Dropped", DLT_RAW, ipv6},
      {"UnsupportedLinkTypeDropped", DLT_IEEE802_11, Eth(10)},
  };
}

void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << c.name;
}

class FrameDecoderTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(FrameDecoderTest, DecodesOrDrops) {
  const DecodeCase& c = GetParam();
  const std::uint32_t captured = c.captured ? c.captured : std::uint32_t(c.frame.size());
  const auto frame = CapturedCopy(c.frame, captured);
  const std::optional<TCPSegment> segment = DecodeTCPSegment(c.linkType, frame.get(), captured);
  ASSERT_EQ(segment.has_value(), c.dataOffset != 0);
  if (!segment) return;
  EXPECT_EQ(segment->TCPData - frame.get(), static_cast<std::ptrdiff_t>(c.dataOffset));
  EXPECT_EQ(segment->TCPDataLength, c.length);
  EXPECT_EQ(static_cast<const void*>(segment->EthernetHeader),
            c.linkType == DLT_EN10MB ? frame.get() : nullptr);
  const auto* tcp = reinterpret_cast<const std::uint8_t*>(segment->TCPHeader);
  EXPECT_EQ(tcp - reinterpret_cast<const std::uint8_t*>(segment->IPHeader),
            segment->IPHeader->HeaderLength());
}

// Every prefix of every frame: never a read past the captured bytes (the sanitizer build checks)
// and never a payload that reaches past them.
TEST_P(FrameDecoderTest, EveryTruncationStaysWithinCapturedBytes) {
  const DecodeCase& c = GetParam();
  for (std::uint32_t captured = 0; captured <= c.frame.size(); ++captured) {
    const auto frame = CapturedCopy(c.frame, captured);
    const std::optional<TCPSegment> segment = DecodeTCPSegment(c.linkType, frame.get(), captured);
    if (!segment) continue;
    ASSERT_GT(segment->TCPDataLength, 0);
    ASSERT_LE(segment->TCPData + segment->TCPDataLength, frame.get() + captured)
        << "captured " << captured;
  }
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameDecoderTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace dorvex
