// Live capture figures on the loopback adapter (needs root):
//   - frames per second handed to the OnCaptureTCPData handler, with ThreadSafe on and off, while
//     another libpcap handle injects port-6900 frames on "lo" as fast as it can;
//   - the kernel's drop count for the component's handle (pcap_stats);
//   - Close latency with no traffic, median and maximum.
//   capture_live_bench [FRAMES] [CLOSES]   (default 200000 frames, 50 closes)

#include <pcap/pcap.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "capture/snoop_tcp_data.h"
#include "tests/support/frame_builder.h"
#include "tests/support/live_test_support.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// A frame that loops back through "lo": zero Ethernet addresses, 127.0.0.1, TCP from port 6900.
dorvex::test::Bytes InjectedFrame() {
  return dorvex::test::WithEthernet(dorvex::test::BuildDatagram(
      dorvex::test::DatagramLayout().Payload(dorvex::test::Payload(64))));
}

struct ThroughputFigures {
  long sent = 0;
  long handled = 0;
  double seconds = 0;
  unsigned kernelDrops = 0;
  unsigned received = 0;
};

bool MeasureThroughput(bool threadSafe, long frames, ThroughputFigures& figures) {
  dorvex::TSnoopTCPData snoop;
  snoop.SetFilter(QStringLiteral("tcp port 6900"));
  snoop.SetAdapterName(QStringLiteral("lo"));
  snoop.SetThreadSafe(threadSafe);
  std::atomic<long> handled{0};
  std::atomic<Clock::rep> lastHandled{0};
  snoop.OnCaptureTCPData = [&](QObject*, dorvex::PPCAP_PKTHDR, dorvex::PETHERNET_HDR,
                               dorvex::PIP_HDR, dorvex::PTCP_HDR, const std::uint8_t*,
                               std::int32_t) {
    ++handled;
    lastHandled = Clock::now().time_since_epoch().count();
  };
  snoop.Open();
  if (!snoop.Active()) {
    std::fprintf(stderr, "capture_live_bench: lo: %s\n", qPrintable(snoop.LastError()));
    return false;
  }
  char errorBuffer[PCAP_ERRBUF_SIZE] = {};
  pcap_t* injector = pcap_open_live("lo", 65535, 0, 100, errorBuffer);
  if (!injector) {
    std::fprintf(stderr, "capture_live_bench: injector: %s\n", errorBuffer);
    return false;
  }
  const dorvex::test::Bytes frame = InjectedFrame();
  std::atomic<bool> sent{false};
  const Clock::time_point start = Clock::now();
  std::thread sender([&] {
    for (long i = 0; i < frames; ++i) {
      if (pcap_inject(injector, frame.data(), frame.size()) > 0) ++figures.sent;
    }
    sent = true;
  });
  // Serve the hand-overs until everything sent has arrived, or nothing has for half a second.
  long seen = -1;
  while (!sent || handled != seen) {
    seen = handled;
    dorvex::test::PumpFor(sent ? 500ms : 50ms);
    if (sent && handled == figures.sent) break;
  }
  sender.join();
  if (const auto statistics = snoop.CaptureStatistics()) {
    figures.kernelDrops = statistics->ps_drop;
    figures.received = statistics->ps_recv;
  }
  snoop.Close();
  pcap_close(injector);
  figures.handled = handled;
  figures.seconds = Seconds(Clock::time_point(Clock::duration(lastHandled.load())) - start);
  return true;
}

void MeasureCloseLatency(bool threadSafe, int closes) {
  std::vector<double> milliseconds;
  for (int i = 0; i < closes; ++i) {
    dorvex::TSnoopTCPData snoop;
    snoop.SetFilter(QStringLiteral("tcp port 6900"));
    snoop.SetAdapterName(QStringLiteral("lo"));
    snoop.SetThreadSafe(threadSafe);
    snoop.Open();
    if (!snoop.Active()) return;
    dorvex::test::PumpFor(20ms);  // the capture thread is blocked in its read
    const Clock::time_point start = Clock::now();
    snoop.Close();
    milliseconds.push_back(Seconds(Clock::now() - start) * 1000);
  }
  std::sort(milliseconds.begin(), milliseconds.end());
  std::printf(
      "Close latency, ThreadSafe %-3s: median %.3f ms, max %.3f ms (%d closes, no traffic)\n",
      threadSafe ? "on" : "off", milliseconds[milliseconds.size() / 2], milliseconds.back(),
      closes);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (geteuid() != 0) {
    std::fprintf(stderr, "capture_live_bench: needs root (live capture and injection on lo)\n");
    return 1;
  }
  const long frames = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 200000;
  const int closes = argc > 2 ? std::atoi(argv[2]) : 50;
  for (const bool threadSafe : {true, false}) {
    ThroughputFigures f;
    if (!MeasureThroughput(threadSafe, frames, f)) return 1;
    std::printf(
        "ThreadSafe %-3s: injected %ld, handled %ld (%.1f%%) in %.3f s = %.0f frames/s; "
        "pcap_stats received %u, kernel drops %u\n",
        threadSafe ? "on" : "off", f.sent, f.handled,
        100.0 * static_cast<double>(f.handled) / static_cast<double>(std::max(1L, f.sent)),
        f.seconds, static_cast<double>(f.handled) / std::max(1e-9, f.seconds), f.received,
        f.kernelDrops);
  }
  for (const bool threadSafe : {true, false}) MeasureCloseLatency(threadSafe, closes);
  return 0;
}
