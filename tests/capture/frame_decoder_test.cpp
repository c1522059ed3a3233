// The frame decoder on built frames of every supported link type, and on every truncation of them.

#include "capture/frame_decoder.h"

#include <gtest/gtest.h>
#include <pcap/dlt.h>

#include <memory>
#include <optional>
#include <string>

#include "tests/support/frame_builder.h"

namespace dorvex {
namespace {

using test::Bytes;

struct DecodeCase {
  std::string name;
  int linkType;
  Bytes frame;
  std::size_t dataOffset = 0;  // from the start of the frame; 0: dropped
  std::int32_t length = 0;
  std::uint32_t captured = 0;  // 0: the whole frame
};

Bytes Eth(int payload, test::DatagramLayout layout = {}) {
  return test::WithEthernet(test::BuildDatagram(layout.Payload(test::Payload(payload))));
}

// The frame copied into a heap block of exactly the captured length, so that the address
// sanitizer catches any read past it.
std::unique_ptr<std::uint8_t[]> CapturedCopy(const Bytes& frame, std::uint32_t captured) {
  auto copy = std::make_unique<std::uint8_t[]>(captured);
  std::copy_n(frame.begin(), captured, copy.get());
  return copy;
}

// A prefix never reads (the sanitizer build checks) nor gives a payload past the captured bytes.
TEST(FrameDecoderTest, DecodesOrDropsAndEveryTruncationStaysWithinCapturedBytes) {
  const Bytes tcp10 = test::BuildDatagram({.payload = test::Payload(10)});
  const DecodeCase cases[] = {
      {"Ethernet", DLT_EN10MB, Eth(10), 54, 10},
      {"EthernetIPv6Dropped", DLT_EN10MB, test::WithEthernet(tcp10, 0x86DD)},
      // Padding up to the 60-byte minimum frame is not payload.
      {"PaddingNotCounted", DLT_EN10MB, test::Concat(Eth(2), Bytes(4, 0xEE)), 54, 2},
      {"IpAndTcpOptions", DLT_EN10MB, Eth(5, {.ipOptionWords = 1, .tcpOptionWords = 10}), 98, 5},
      {"IpHeaderLengthBelow5Dropped", DLT_EN10MB, Eth(10, {.headerLengthNibble = 4})},
      {"TcpDataOffsetBelow5Dropped", DLT_EN10MB, Eth(10, {.dataOffsetNibble = 4})},
      {"LaterFragmentDropped", DLT_EN10MB, Eth(10, {.flagsAndFragmentOffset = 0x2003})},
      {"TotalLengthBelowHeadersDropped", DLT_EN10MB, Eth(10, {.totalLength = 30})},
      {"SnapLengthCutsPayload", DLT_EN10MB, Eth(1460), 54, 46, 100},
      {"LinuxCooked", DLT_LINUX_SLL, test::WithHeader(16, 14, 0x0800, tcp10), 56, 10},
      {"LinuxCookedV2", DLT_LINUX_SLL2, test::WithLinuxCookedV2(tcp10), 60, 10},
      // NULL: the address family in the capturing machine's byte order, either one; LOOP: in
      // network byte order only. 24 is AF_INET6 on the BSDs.
      {"NullLittleEndian", DLT_NULL, test::Concat({2, 0, 0, 0}, tcp10), 44, 10},
      {"NullBigEndian", DLT_NULL, test::Concat({0, 0, 0, 2}, tcp10), 44, 10},
      {"NullOtherFamilyDropped", DLT_NULL, test::Concat({24, 0, 0, 0}, tcp10)},
      {"NullFamilyBytesElsewhereDropped", DLT_NULL, test::Concat({0, 2, 0, 0}, tcp10)},
      {"Loop", DLT_LOOP, test::Concat({0, 0, 0, 2}, tcp10), 44, 10},
      {"LoopLittleEndianDropped", DLT_LOOP, test::Concat({2, 0, 0, 0}, tcp10)},
      {"RawIPv4", DLT_RAW, tcp10, 40, 10},
      {"UnsupportedLinkTypeDropped", DLT_IEEE802_11, Eth(10)},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint32_t captured = c.captured ? c.captured : std::uint32_t(c.frame.size());
    const auto frame = CapturedCopy(c.frame, captured);
    const std::optional<TCPSegment> segment = DecodeTCPSegment(c.linkType, frame.get(), captured);
    ASSERT_EQ(segment.has_value(), c.dataOffset != 0);
    if (segment) {
      EXPECT_EQ(segment->TCPData - frame.get(), static_cast<std::ptrdiff_t>(c.dataOffset));
      EXPECT_EQ(segment->TCPDataLength, c.length);
      EXPECT_EQ(static_cast<const void*>(segment->EthernetHeader),
                c.linkType == DLT_EN10MB ? frame.get() : nullptr);
    }
    for (std::uint32_t cut = 0; cut <= c.frame.size(); ++cut) {
      const auto prefix = CapturedCopy(c.frame, cut);
      const std::optional<TCPSegment> part = DecodeTCPSegment(c.linkType, prefix.get(), cut);
      if (!part) continue;
      ASSERT_GT(part->TCPDataLength, 0);
      ASSERT_LE(part->TCPData + part->TCPDataLength, prefix.get() + cut) << "captured " << cut;
    }
  }
}

}  // namespace
}  // namespace dorvex
