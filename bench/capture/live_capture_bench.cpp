// Live capture figures on the loopback adapter (needs root):
//   - frames per second handed to the OnCaptureTCPData handler, with ThreadSafe on and off, while
//     another libpcap handle injects port-6900 frames on "lo" as fast as it can;
//   - how many of those frames the kernel delivered, counted by a second libpcap handle on "lo"
//     with the same filter: the component reads the capture helper's stream, which reports no
//     statistics, so what it lost is the delivered count less the handled count;
//   - Close latency with no traffic, median, 90th percentile and maximum.
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
#include <optional>
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
  std::optional<pcap_stat> componentStatistics;  // none when the handle is the helper's stream
  long delivered = 0;                            // frames the second handle on "lo" received
  unsigned counterDrops = 0;                     // that handle's own kernel drops
};

// A second capture of "tcp port 6900" on "lo" that counts the frames the kernel delivers, on its
// own thread. Its buffer is large so that it drops none itself; its drop count shows if it did.
class DeliveredCounter {
 public:
  bool Open() {
    char errorBuffer[PCAP_ERRBUF_SIZE] = {};
    handle_ = pcap_create("lo", errorBuffer);
    if (!handle_) {
      std::fprintf(stderr, "capture_live_bench: counter: %s\n", errorBuffer);
      return false;
    }
    pcap_set_snaplen(handle_, 128);
    pcap_set_timeout(handle_, 10);
    pcap_set_immediate_mode(handle_, 1);
    pcap_set_buffer_size(handle_, 64 << 20);
    bpf_program program{};
    if (pcap_activate(handle_) < 0 ||
        pcap_compile(handle_, &program, "tcp port 6900", 1, PCAP_NETMASK_UNKNOWN) != 0 ||
        pcap_setfilter(handle_, &program) != 0) {
      std::fprintf(stderr, "capture_live_bench: counter: %s\n", pcap_geterr(handle_));
      pcap_freecode(&program);
      return false;
    }
    pcap_freecode(&program);
    thread_ = std::thread([this] {
      while (!stop_) {
        pcap_dispatch(
            handle_, -1,
            [](u_char* user, const pcap_pkthdr*, const u_char*) {
              ++*reinterpret_cast<std::atomic<long>*>(user);
            },
            reinterpret_cast<u_char*>(&counted_));
      }
    });
    return true;
  }
  ~DeliveredCounter() {
    stop_ = true;
    if (thread_.joinable()) {
      pcap_breakloop(handle_);
      thread_.join();
    }
    if (handle_) pcap_close(handle_);
  }
  DeliveredCounter() = default;
  DeliveredCounter(const DeliveredCounter&) = delete;
  DeliveredCounter& operator=(const DeliveredCounter&) = delete;

  long Counted() const { return counted_; }
  unsigned Drops() const {
    pcap_stat statistics{};
    return pcap_stats(handle_, &statistics) == 0 ? statistics.ps_drop : 0;
  }

 private:
  pcap_t* handle_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<long> counted_{0};
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
  DeliveredCounter counter;
  if (!counter.Open()) return false;
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
  figures.componentStatistics = snoop.CaptureStatistics();
  figures.delivered = counter.Counted();
  figures.counterDrops = counter.Drops();
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
  if (milliseconds.empty()) return;
  std::sort(milliseconds.begin(), milliseconds.end());
  const auto over10 =
      std::count_if(milliseconds.begin(), milliseconds.end(), [](double ms) { return ms > 10; });
  std::printf(
      "Close latency, ThreadSafe %-3s: median %.3f ms, p90 %.3f ms, max %.3f ms, over 10 ms: "
      "%td (%d closes, no traffic)\n",
      threadSafe ? "on" : "off", milliseconds[milliseconds.size() / 2],
      milliseconds[milliseconds.size() * 9 / 10], milliseconds.back(), over10, closes);
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
        "ThreadSafe %-3s: injected %ld, delivered %ld (second handle on lo, its drops %u), "
        "handled %ld (%.1f%%) in %.3f s = %.0f frames/s; lost before the handler %ld\n",
        threadSafe ? "on" : "off", f.sent, f.delivered, f.counterDrops, f.handled,
        100.0 * static_cast<double>(f.handled) / static_cast<double>(std::max(1L, f.sent)),
        f.seconds, static_cast<double>(f.handled) / std::max(1e-9, f.seconds),
        f.delivered - f.handled);
    if (f.componentStatistics) {
      std::printf("  component pcap_stats: received %u, kernel drops %u\n",
                  f.componentStatistics->ps_recv, f.componentStatistics->ps_drop);
    } else {
      std::printf("  component pcap_stats: drops not reported through the helper\n");
    }
  }
  for (const bool threadSafe : {true, false}) MeasureCloseLatency(threadSafe, closes);
  return 0;
}
