// Writes the replay benchmark's capture file: Ethernet frames on loopback addresses, in a fixed
// mix per 20 frames: 1 world list reply (24 records), 9 other port-6900 payloads, 8 pure
// acknowledgements and 2 frames of another port. The names in the replies follow MIX:
//   fixed   the 24 worlds of the world table, each at its place in every reply
//   moving  the same 24 worlds, shuffled anew for every reply
//   unique  24 names never seen before in every reply: half ASCII, half katakana in code page
//           932 (Shift_JIS) as the game sends them
// Frames are 1 ms apart, or with "spaced" 50 ms apart, so that the replies come a second apart
// (a history keeps one row for replies of a server less than a second apart).
//   make_bench_capture FILE [FRAMES [MIX [spaced]]]   (default 1000000 frames, mix "fixed")

#include <pcap/pcap.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tally/world_table.h"
#include "tests/support/frame_builder.h"

namespace {

using dorvex::test::Bytes;
using dorvex::test::DatagramLayout;

constexpr int kRecords = 24;
constexpr long kRoundFrames = 20;

enum class Mix { kFixed, kMoving, kUnique };

Bytes Frame(const Bytes& payload, std::uint16_t sourcePort = 6900) {
  return dorvex::test::WithEthernet(
      dorvex::test::BuildDatagram(DatagramLayout().Payload(payload).Ports(sourcePort, 50000)));
}

std::uint16_t CountOf(int position) {
  return static_cast<std::uint16_t>(100 + 37 * position);
}

// A name of `id` that no other id gives: "new" and 7 digits, or "ワールド" and 4 katakana digits
// (base 64) in code page 932.
std::string UniqueName(long id, bool katakana) {
  if (!katakana) {
    char name[24];
    std::snprintf(name, sizeof name, "new%07ld", id);
    return name;
  }
  std::string name = "\x83\x8F\x81\x5B\x83\x8B\x83\x68";  // ワールド
  for (int digit = 3; digit >= 0; --digit) {
    const int d = static_cast<int>((id >> (6 * digit)) & 63);
    name += '\x83';  // katakana ァ (83 40) onwards; 83 7F is no character, so 63 goes to 83 80
    name += static_cast<char>(d < 63 ? 0x40 + d : 0x80);
  }
  return name;
}

// The names of reply `reply` in reply order, each with its count.
std::vector<std::pair<std::string, std::uint16_t>> RecordsOf(Mix mix, long reply,
                                                             std::mt19937& random) {
  std::vector<std::pair<std::string, std::uint16_t>> records;
  if (mix == Mix::kUnique) {
    for (int k = 0; k < kRecords; ++k) {
      records.emplace_back(UniqueName(reply * kRecords + k, k % 2 == 1), CountOf(k));
    }
    return records;
  }
  const auto worlds = dorvex::WorldTable();
  for (int i = 0; i < kRecords; ++i) {
    records.emplace_back(std::string(worlds[static_cast<std::size_t>(i)].name), CountOf(i));
  }
  if (mix == Mix::kMoving) {
    // Fisher-Yates with the generator's own numbers, so that every platform writes the same file.
    for (std::size_t i = records.size() - 1; i > 0; --i) {
      std::swap(records[i], records[random() % (i + 1)]);
    }
  }
  return records;
}

Bytes ReplyFrame(Mix mix, long reply, std::mt19937& random) {
  const auto records = RecordsOf(mix, reply, random);
  std::vector<std::pair<const char*, std::uint16_t>> fields;
  for (const auto& [name, count] : records) fields.emplace_back(name.c_str(), count);
  return Frame(dorvex::test::WorldListReply(fields));
}

// The frames of one round after its reply.
std::vector<Bytes> OtherFramesOfOneRound() {
  std::vector<Bytes> frames;
  for (int i = 0; i < 9; ++i) frames.push_back(Frame(dorvex::test::Payload(40 + 20 * i)));
  for (int i = 0; i < 8; ++i) frames.push_back(Frame({}));
  for (int i = 0; i < 2; ++i) frames.push_back(Frame(dorvex::test::Payload(100), 80));
  return frames;
}

bool ParseMix(std::string_view text, Mix& mix) {
  if (text == "fixed")
    mix = Mix::kFixed;
  else if (text == "moving")
    mix = Mix::kMoving;
  else if (text == "unique")
    mix = Mix::kUnique;
  else
    return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Mix mix = Mix::kFixed;
  const bool spaced = argc > 4 && std::strcmp(argv[4], "spaced") == 0;
  if (argc < 2 || (argc > 3 && !ParseMix(argv[3], mix)) || (argc > 4 && !spaced)) {
    std::fprintf(stderr,
                 "usage: make_bench_capture FILE [FRAMES [fixed|moving|unique [spaced]]]\n");
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
  const std::vector<Bytes> others = OtherFramesOfOneRound();
  std::mt19937 random(6900);
  Bytes reply;
  pcap_pkthdr header{};
  const long frameMicros = spaced ? 1'000'000 / kRoundFrames : 1000;
  for (long i = 0; i < frames; ++i) {
    const long place = i % kRoundFrames;
    if (place == 0 && (mix != Mix::kFixed || i == 0)) {
      reply = ReplyFrame(mix, i / kRoundFrames, random);
    }
    const Bytes& frame = place == 0 ? reply : others[static_cast<std::size_t>(place - 1)];
    header.ts.tv_sec = static_cast<time_t>(1700000000 + i * frameMicros / 1'000'000);
    header.ts.tv_usec = static_cast<suseconds_t>(i * frameMicros % 1'000'000);
    header.caplen = header.len = static_cast<bpf_u_int32>(frame.size());
    pcap_dump(reinterpret_cast<u_char*>(dumper), &header, frame.data());
  }
  pcap_dump_close(dumper);
  pcap_close(dead);
  return 0;
}
