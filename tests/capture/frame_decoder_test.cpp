// The frame decoder over frames built in the test, for every supported link type.

#include "frame_decoder.h"

#include <gtest/gtest.h>
#include <pcap/dlt.h>

#include <memory>
#include <optional>
#include <string>

#include "frame_builder.h"
#include "header_helpers.h"

namespace dorvex {
namespace {

using test::BuildDatagram;
using test::Bytes;
using test::DatagramSpec;
using test::Payload;

struct Expected {
  std::size_t dataOffset;  // from the start of the frame
  std::int32_t length;
};

struct DecodeCase {
  std::string name;
  int linkType;
  Bytes frame;
  std::optional<Expected> expected;                      // nullopt: dropped
  std::optional<std::uint32_t> captured = std::nullopt;  // default: the whole frame
};

Bytes Tcp(int payload) {
  return BuildDatagram(DatagramSpec().Payload(Payload(payload)));
}

// The frame copied into a heap block of exactly the captured length, so that the address
// sanitizer catches any read past it.
std::unique_ptr<std::uint8_t[]> CapturedCopy(const Bytes& frame, std::uint32_t captured) {
  auto copy = std::make_unique<std::uint8_t[]>(captured);
  std::copy_n(frame.begin(), captured, copy.get());
  return copy;
}

std::vector<DecodeCase> Cases() {
  std::vector<DecodeCase> c;
  const Bytes tcp10 = Tcp(10);
  c.push_back({"EthernetPayload", DLT_EN10MB, test::WithEthernet(tcp10), Expected{54, 10}});
  c.push_back({"EthernetIPv6Dropped", DLT_EN10MB, test::WithEthernet(tcp10, 0x86DD), {}});
  c.push_back({"EthernetVlanDropped", DLT_EN10MB, test::WithEthernet(tcp10, 0x8100), {}});
  c.push_back({"EthernetArpDropped", DLT_EN10MB, test::WithEthernet(tcp10, 0x0806), {}});
  c.push_back({"UdpDropped",
               DLT_EN10MB,
               test::WithEthernet(BuildDatagram(DatagramSpec().Payload(Payload(8)).Protocol(17))),
               {}});
  c.push_back({"IcmpDropped",
               DLT_EN10MB,
               test::WithEthernet(BuildDatagram(DatagramSpec().Payload(Payload(8)).Protocol(1))),
               {}});
  c.push_back({"PureAckDropped", DLT_EN10MB, test::WithEthernet(Tcp(0)), {}});
  // 60-byte minimum frame: a 40-byte datagram and 6 bytes of padding that is not payload.
  c.push_back({"EthernetPaddingIsNotPayload",
               DLT_EN10MB,
               test::Concat(test::WithEthernet(Tcp(0)), Bytes(6, 0xEE)),
               {}});
  c.push_back({"PaddingAfterPayloadNotCounted", DLT_EN10MB,
               test::Concat(test::WithEthernet(Tcp(2)), Bytes(4, 0xEE)), Expected{54, 2}});
  c.push_back({"TcpOptions", DLT_EN10MB,
               test::WithEthernet(BuildDatagram(DatagramSpec().TcpOptions(3).Payload(Payload(48)))),
               Expected{66, 48}});
  c.push_back({"FullSizeSegment", DLT_EN10MB, test::WithEthernet(Tcp(1460)), Expected{54, 1460}});
  c.push_back({"IpOptionsHonoured", DLT_EN10MB,
               test::WithEthernet(BuildDatagram(DatagramSpec().IpOptions(1).Payload(Payload(10)))),
               Expected{58, 10}});
  c.push_back({"IpOptionsAndTcpOptions", DLT_EN10MB,
               test::WithEthernet(
                   BuildDatagram(DatagramSpec().IpOptions(10).TcpOptions(10).Payload(Payload(5)))),
               Expected{134, 5}});
  c.push_back(
      {"IpHeaderLengthBelow5Dropped",
       DLT_EN10MB,
       test::WithEthernet(BuildDatagram(DatagramSpec().Payload(Payload(10)).HeaderLengthNibble(4))),
       {}});
  c.push_back(
      {"TcpDataOffsetBelow5Dropped",
       DLT_EN10MB,
       test::WithEthernet(BuildDatagram(DatagramSpec().Payload(Payload(10)).DataOffsetNibble(4))),
       {}});
  c.push_back(
      {"TcpDataOffsetZeroDropped",
       DLT_EN10MB,
       test::WithEthernet(BuildDatagram(DatagramSpec().Payload(Payload(10)).DataOffsetNibble(0))),
       {}});
  c.push_back(
      {"NonFirstFragmentDropped",
       DLT_EN10MB,
       test::WithEthernet(BuildDatagram(DatagramSpec().Payload(Payload(10)).Fragment(0x2003))),
       {}});
  c.push_back(
      {"FirstFragmentDecoded", DLT_EN10MB,
       test::WithEthernet(BuildDatagram(DatagramSpec().Payload(Payload(10)).Fragment(0x2000))),
       Expected{54, 10}});
  c.push_back(
      {"TotalLengthBelowHeadersDropped",
       DLT_EN10MB,
       test::WithEthernet(BuildDatagram(DatagramSpec().Payload(Payload(10)).TotalLength(30))),
       {}});
  c.push_back(
      {"TotalLengthBeyondFrameCut", DLT_EN10MB,
       test::WithEthernet(BuildDatagram(DatagramSpec().Payload(Payload(10)).TotalLength(1500))),
       Expected{54, 10}});
  c.push_back(
      {"SnapLengthCutsPayload", DLT_EN10MB, test::WithEthernet(Tcp(1460)), Expected{54, 46}, 100});
  c.push_back(
      {"TcpOptionsNotCapturedDropped",
       DLT_EN10MB,
       test::WithEthernet(BuildDatagram(DatagramSpec().TcpOptions(10).Payload(Payload(10)))),
       {},
       60});
  c.push_back({"FrameShorterThanEthernetDropped", DLT_EN10MB, Bytes(13, 0), {}});
  c.push_back({"LinuxCooked", DLT_LINUX_SLL, test::WithLinuxCooked(tcp10), Expected{56, 10}});
  c.push_back({"LinuxCookedIPv6Dropped", DLT_LINUX_SLL, test::WithLinuxCooked(tcp10, 0x86DD), {}});
  c.push_back({"LinuxCookedV2", DLT_LINUX_SLL2, test::WithLinuxCookedV2(tcp10), Expected{60, 10}});
  c.push_back(
      {"LinuxCookedV2IPv6Dropped", DLT_LINUX_SLL2, test::WithLinuxCookedV2(tcp10, 0x86DD), {}});
  c.push_back({"NullHostOrderLittle", DLT_NULL, test::WithLoopbackFamily(tcp10, 2, false),
               Expected{44, 10}});
  c.push_back(
      {"NullHostOrderBig", DLT_NULL, test::WithLoopbackFamily(tcp10, 2, true), Expected{44, 10}});
  c.push_back({"NullIPv6Dropped", DLT_NULL, test::WithLoopbackFamily(tcp10, 24, false), {}});
  c.push_back({"Loop", DLT_LOOP, test::WithLoopbackFamily(tcp10, 2, true), Expected{44, 10}});
  c.push_back({"LoopWrongOrderDropped", DLT_LOOP, test::WithLoopbackFamily(tcp10, 2, false), {}});
  c.push_back({"RawIPv4", DLT_RAW, tcp10, Expected{40, 10}});
  c.push_back({"LinktypeIPv4", DLT_IPV4, tcp10, Expected{40, 10}});
  Bytes ipv6 = tcp10;
  ipv6[0] = 0x65;
  c.push_back({"RawIPv6Dropped", DLT_RAW, ipv6, {}});
  c.push_back({"UnsupportedLinkTypeDropped", DLT_IEEE802_11, test::WithEthernet(tcp10), {}});
  return c;
}

void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << c.name;
}

class FrameDecoderTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(FrameDecoderTest, DecodesOrDrops) {
  const DecodeCase& c = GetParam();
  const std::uint32_t captured = c.captured.value_or(static_cast<std::uint32_t>(c.frame.size()));
  const auto frame = CapturedCopy(c.frame, captured);
  const std::optional<TCPSegment> segment = DecodeTCPSegment(c.linkType, frame.get(), captured);
  ASSERT_EQ(segment.has_value(), c.expected.has_value());
  if (!segment) return;
  EXPECT_EQ(segment->TCPData - frame.get(), static_cast<std::ptrdiff_t>(c.expected->dataOffset));
  EXPECT_EQ(segment->TCPDataLength, c.expected->length);
  EXPECT_EQ(segment->EthernetHeader != nullptr, c.linkType == DLT_EN10MB);
  if (segment->EthernetHeader) {
    EXPECT_EQ(static_cast<const void*>(segment->EthernetHeader), frame.get());
  }
  const auto* ip = reinterpret_cast<const std::uint8_t*>(segment->IPHeader);
  const auto* tcp = reinterpret_cast<const std::uint8_t*>(segment->TCPHeader);
  EXPECT_EQ(tcp - ip, segment->IPHeader->HeaderLength());
  EXPECT_EQ(segment->TCPData - tcp, segment->TCPHeader->HeaderLength());
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

TEST(HeaderHelpersTest, OutputsAreOptionalAndWrittenOnlyOnSuccess) {
  const Bytes frame = test::WithEthernet(Tcp(10));
  const auto* ethernet = reinterpret_cast<PETHERNET_HDR>(frame.data());
  EXPECT_TRUE(GetIPHeader(ethernet, 54));
  PIP_HDR ip = nullptr;
  ASSERT_TRUE(GetIPHeader(ethernet, 64, &ip));
  EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(ip), frame.data() + 14);
  EXPECT_TRUE(GetTCPHeader(ip, 50));

  const Bytes udp = test::WithEthernet(BuildDatagram(DatagramSpec().Protocol(17)));
  PIP_HDR udpIp = nullptr;
  ASSERT_TRUE(GetIPHeader(reinterpret_cast<PETHERNET_HDR>(udp.data()), 54, &udpIp));
  PTCP_HDR untouched = reinterpret_cast<PTCP_HDR>(&udp[0]);
  EXPECT_FALSE(GetTCPHeader(udpIp, 40, &untouched));
  EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(untouched), udp.data());
}

TEST(HeaderHelpersTest, TcpDataGivesBothOutputsEvenWhenTheLengthIsNotPositive) {
  // Total length 30 with 40 bytes of headers: the length is negative and the test fails.
  const Bytes datagram = BuildDatagram(DatagramSpec().TotalLength(30));
  const auto* ip = reinterpret_cast<PIP_HDR>(datagram.data());
  PTCP_HDR tcp = nullptr;
  ASSERT_TRUE(GetTCPHeader(ip, 40, &tcp));
  const std::uint8_t* data = nullptr;
  std::int32_t length = 99;
  EXPECT_FALSE(GetTCPData(ip, tcp, 40, &data, &length));
  EXPECT_EQ(length, -10);
  EXPECT_EQ(data, datagram.data() + 40);
  EXPECT_FALSE(GetTCPData(ip, tcp, 40));
}

}  // namespace
}  // namespace dorvex
