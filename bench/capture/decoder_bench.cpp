// The frame decoder's cost per frame, for the shapes a port-6900 capture delivers.

#include <benchmark/benchmark.h>
#include <pcap/dlt.h>

#include "capture/frame_decoder.h"
#include "tests/support/frame_builder.h"

namespace {

using dorvex::test::Bytes;
using dorvex::test::DatagramLayout;

void Decode(benchmark::State& state, int linkType, const Bytes& frame) {
  const auto captured = static_cast<std::uint32_t>(frame.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(dorvex::DecodeTCPSegment(linkType, frame.data(), captured));
  }
}

const Bytes kReply = dorvex::test::WithEthernet(dorvex::test::BuildDatagram(
    DatagramLayout().TcpOptions(3).Payload(dorvex::test::WorldListReply({{"idun", 1}}))));
const Bytes kAck = dorvex::test::WithEthernet(dorvex::test::BuildDatagram(DatagramLayout()));
const Bytes kCooked = dorvex::test::WithLinuxCookedV2(
    dorvex::test::BuildDatagram(DatagramLayout().Payload(dorvex::test::Payload(100))));

BENCHMARK_CAPTURE(Decode, EthernetReply, DLT_EN10MB, kReply);
BENCHMARK_CAPTURE(Decode, EthernetAck, DLT_EN10MB, kAck);
BENCHMARK_CAPTURE(Decode, LinuxCookedV2Payload, DLT_LINUX_SLL2, kCooked);

}  // namespace

BENCHMARK_MAIN();
