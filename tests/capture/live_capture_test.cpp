// The capture component and dorvex-cli on the real loopback adapter, with real TCP traffic.

#include <gtest/gtest.h>
#include <pcap/pcap.h>
#include <sys/syscall.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "capture/snoop_tcp_data.h"
#include "history/history_read.h"
#include "tests/support/adapter_index.h"
#include "tests/support/frame_builder.h"
#include "tests/support/live_test_support.h"
#include "tests/support/run_as_nobody.h"
#include "tools/dorvex-cli/cli_app.h"

namespace dorvex {
namespace {

using namespace std::chrono_literals;
using capture_helper::Status;
using test::Bytes;

const Bytes kHello = {'h', 'e', 'l', 'l', 'o'};
const Bytes kReplyA = test::WorldListReply({{"idun", 321}, {"urdr", 65535}});
const Bytes kReplyB = test::WorldListReply({{"verdandi", 1200}, {"magni", 800}, {"urdr", 7}});

// The members of a new component, and how the three adapter members follow each other's setters.
TEST(SnoopMembersTest, DefaultsAndAdapterSelection) {
  TSnoopTCPData snoop;
  EXPECT_FALSE(snoop.Active());
  EXPECT_TRUE(snoop.CaptureEnabled() && snoop.ThreadSafe());
  EXPECT_EQ(snoop.Filter(), QStringLiteral("tcp"));
  EXPECT_EQ(snoop.SnapLen(), 1600);
  EXPECT_EQ(snoop.Flags(), 1);
  EXPECT_EQ(snoop.ReadTimeOut(), 100);
  EXPECT_TRUE(snoop.LastError().isEmpty());
  EXPECT_EQ(snoop.LastFailure(), capture_helper::kExitOk);
  const QStringList& names = snoop.AdapterNames();
  const QStringList& descriptions = snoop.AdapterDescriptions();
  ASSERT_EQ(descriptions.size(), names.size());
  const int lo = test::LoopbackAdapterIndex();
  ASSERT_GE(lo, 0);
  ASSERT_EQ(names.value(lo), QStringLiteral("lo")) << "libpcap's order";
  // The first adapter with a description (-1: none has one): the lowest index of that description.
  const auto described = std::find_if(descriptions.begin(), descriptions.end(),
                                      [](const QString& text) { return !text.isEmpty(); });
  const int firstDescribed =
      described == descriptions.end() ? -1 : static_cast<int>(described - descriptions.begin());

  const struct {
    std::function<void()> set;
    int index;
  } cases[] = {
      {[] {}, -1},
      {[&] { snoop.SetAdapterIndex(lo); }, lo},
      {[&] { snoop.SetAdapterIndex(static_cast<int>(names.size())); }, -1},
      {[&] { snoop.SetAdapterName(QStringLiteral("lo")); }, lo},
      {[&] { snoop.SetAdapterIndex(-5); }, -1},
      {[&] { snoop.SetAdapterName(QStringLiteral("LO")); }, -1},  // names match exactly
      {[&] { snoop.SetAdapterDescription(descriptions.value(firstDescribed)); }, firstDescribed},
      {[&] { snoop.SetAdapterDescription(QStringLiteral("no such adapter")); }, -1},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    cases[i].set();
    EXPECT_EQ(snoop.AdapterIndex(), cases[i].index) << "case " << i;
    EXPECT_EQ(snoop.AdapterName(), names.value(cases[i].index)) << "case " << i;
    EXPECT_EQ(snoop.AdapterDescription(), descriptions.value(cases[i].index)) << "case " << i;
  }

  // Kept for owners to bind; nothing raises it.
  bool raised = false;
  snoop.OnGetRemoteAdapterInfo = [&raised](QObject*, QStringList&, QStringList&, int&) {
    raised = true;
  };
  snoop.SetAdapterName(QStringLiteral("lo"));
  snoop.Open();
  snoop.Close();
  EXPECT_TRUE(snoop.OnGetRemoteAdapterInfo && !raised);
}

class LiveCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::CanCapture()) GTEST_SKIP() << test::kNeedsRoot;
    MakeSnoop();
  }
  void MakeSnoop() {
    snoop_ = std::make_unique<TSnoopTCPData>(
        nullptr, [this](const QString& text) { messages_.push_back(text); });
    snoop_->SetFilter(QStringLiteral("tcp port 6900"));
    snoop_->SetAdapterName(QStringLiteral("lo"));
    snoop_->OnCaptureTCPData = [this](QObject*, PPCAP_PKTHDR, PETHERNET_HDR, PIP_HDR, PTCP_HDR,
                                      const std::uint8_t* data, std::int32_t length) {
      std::lock_guard lock(mutex_);  // the handler may run on the capture thread
      payloads_.emplace_back(data, data + length);
      ranOnMainThread_ = QThread::currentThread() == QCoreApplication::instance()->thread();
    };
  }
  void OpenOrFail() {
    snoop_->Open();
    ASSERT_TRUE(snoop_->Active()) << snoop_->LastError().toStdString();
  }
  std::vector<Bytes> Payloads() {
    std::lock_guard lock(mutex_);
    return payloads_;
  }

  std::unique_ptr<TSnoopTCPData> snoop_;
  std::mutex mutex_;
  std::vector<Bytes> payloads_;
  bool ranOnMainThread_ = false;
  QStringList messages_;
};

class ThreadSafeTest : public LiveCaptureTest, public ::testing::WithParamInterface<bool> {};

// ThreadSafe picks the handler's thread; an exception in the handler ends the capture silently.
TEST_P(ThreadSafeTest, PayloadsHandlerThreadCloseAndHandlerFailure) {
  snoop_->SetThreadSafe(GetParam());
  OpenOrFail();
  test::LoopbackConnection connection;
  connection.ClientSends(kHello);
  connection.ServerSends(kReplyA);
  ASSERT_TRUE(test::PumpUntil([&] { return Payloads().size() == 2; }));
  EXPECT_EQ(Payloads(), (std::vector<Bytes>{kHello, kReplyA}));
  EXPECT_EQ(ranOnMainThread_, GetParam());
  test::PumpFor(50ms);               // no traffic: the capture thread is blocked in its read
  snoop_->SetCaptureEnabled(false);  // Close still stops the running thread
  QElapsedTimer timer;
  timer.start();
  snoop_->Close();
  snoop_->SetCaptureEnabled(true);
  EXPECT_LT(timer.elapsed(), 2000) << "Close hangs";  // a hang check; figures are in bench/
  EXPECT_FALSE(snoop_->Active());

  snoop_->OnCaptureTCPData = [](auto&&...) { throw std::runtime_error("handler failed"); };
  OpenOrFail();
  connection.ServerSends(kHello);
  ASSERT_TRUE(test::PumpUntil([&] { return !snoop_->Active(); }));
  EXPECT_TRUE(snoop_->LastError().isEmpty());
  snoop_->Close();
  EXPECT_TRUE(messages_.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(ThreadSafe, ThreadSafeTest, ::testing::Bool(),
                         [](const auto& testInfo) { return testInfo.param ? "On" : "Off"; });

TEST_F(LiveCaptureTest, CaptureEnabledOffOpensWithoutThread) {
  snoop_->SetCaptureEnabled(false);
  OpenOrFail();
  snoop_->Open();  // a second Open leaves it open
  EXPECT_EQ(snoop_->LastError(), QStringLiteral("Snoop Error: Already open"));
  test::LoopbackConnection connection;
  connection.ServerSends(kHello);
  test::PumpFor(300ms);
  EXPECT_TRUE(Payloads().empty());
}

// The threads of this process, by their ids.
std::set<pid_t> Threads() {
  std::set<pid_t> ids;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
    ids.insert(static_cast<pid_t>(std::stol(entry.path().filename().string())));
  }
  return ids;
}

// The number of the system call in which thread `id` waits; -1 while it runs or if unknown.
long SystemCallOf(pid_t id) {
  std::ifstream file("/proc/self/task/" + std::to_string(id) + "/syscall");
  long number = -1;
  return file >> number ? number : -1;
}

// Destroying the component while a packet waits for the main thread neither hangs nor hands the
// packet to a half-destroyed component. No event loop runs before the destruction, so the packet
// stays in the hand-over; that it got there is shown first: the capture thread waits on a futex
// (the hand-over; an idle one waits in its read) and a live handle's kernel counter counted it.
TEST_F(LiveCaptureTest, DestructionWhileAPacketWaitsForTheMainThread) {
  test::LoopbackConnection connection;  // connected first: the payload is the first packet
  const std::set<pid_t> before = Threads();
  OpenOrFail();
  std::vector<pid_t> started;
  std::ranges::set_difference(Threads(), before, std::back_inserter(started));
  ASSERT_EQ(started.size(), 1u) << "the capture thread";
  const pid_t captureThread = started.front();
  // Packets the kernel queued for the handle; nullopt for a handle without counters.
  const auto received = [&]() -> std::optional<unsigned> {
    const std::optional<pcap_stat> statistics = snoop_->CaptureStatistics();
    if (!statistics) return std::nullopt;
    return statistics->ps_recv;
  };
  const std::optional<unsigned> receivedBefore = received();

  connection.ServerSends(kHello);
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  bool waiting = false;
  while (!waiting && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
    waiting = SystemCallOf(captureThread) == SYS_futex &&
              (!receivedBefore || received().value_or(0) > *receivedBefore);
  }
  ASSERT_TRUE(waiting) << "capture thread in system call " << SystemCallOf(captureThread)
                       << "; received " << received().value_or(0) << ", "
                       << receivedBefore.value_or(0) << " before the send";
  EXPECT_TRUE(Payloads().empty());

  snoop_.reset();
  test::PumpFor(100ms);  // a wake-up left behind would arrive now
  EXPECT_TRUE(Payloads().empty());
}

// A failed Open leaves the component closed, with its text in LastError and, when the capture
// helper refused, the helper's status in LastFailure; SnapLen and ReadTimeOut reach the helper.
TEST_F(LiveCaptureTest, OpenFailuresLeaveItClosedWithTextAndStatus) {
  const struct {
    std::function<void(TSnoopTCPData&)> set;
    const char* errorStart;
    Status failure;
  } cases[] = {
      {[](auto& s) { s.SetAdapterName(QStringLiteral("no-such-adapter0")); },
       "Snoop Error: Invalid AdapterName", capture_helper::kExitOk},
      // The library's own compile error text.
      {[](auto& s) { s.SetFilter(QStringLiteral("tcp port")); }, "",
       capture_helper::kExitBadFilter},
      {[](auto& s) { s.SetSnapLen(0); }, "--snaplen must be", capture_helper::kExitUsage},
      {[](auto& s) { s.SetReadTimeOut(0); }, "--timeout must be", capture_helper::kExitUsage},
  };
  for (const auto& c : cases) {
    MakeSnoop();
    c.set(*snoop_);
    snoop_->Open();
    const std::string error = snoop_->LastError().toStdString();
    EXPECT_FALSE(snoop_->Active()) << error;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.rfind(c.errorStart, 0), 0u) << error;
    EXPECT_EQ(error.rfind("Snoop Error", 0) == 0, *c.errorStart == 'S') << error;
    EXPECT_EQ(snoop_->LastFailure(), c.failure) << error;
  }
}

struct CliRun {
  int status;
  QByteArray out;
  QString err;
};

CliRun RunDorvexCli(const QStringList& arguments) {
  char* texts[2] = {};
  std::size_t sizes[2] = {};
  std::FILE* out = open_memstream(&texts[0], &sizes[0]);
  std::FILE* err = open_memstream(&texts[1], &sizes[1]);
  const int status = cli::RunCli(arguments, out, err);
  for (std::FILE* file : {out, err}) std::fclose(file);
  CliRun run{status, QByteArray(texts[0], qsizetype(sizes[0])),
             QString::fromUtf8(texts[1], qsizetype(sizes[1]))};
  for (char* text : texts) std::free(text);
  return run;
}

// The game's login traffic half a second from now, while dorvex-cli opens the adapter: the client's
// hello, then replies A and B from the server.
void SendHelloAndTwoReplies() {
  std::this_thread::sleep_for(500ms);
  test::LoopbackConnection connection;
  connection.ClientSends(kHello);
  connection.ServerSends(kReplyA);
  connection.ServerSends(kReplyB);
}

// --interface prints the report at every reply and, with --history, records each reply with the
// adapter, the server (the listener on 127.0.0.1:6900) and the frame's capture time; --read of
// libpcap's recording of the same traffic gives the last report again.
TEST(CliLiveTest, InterfaceReportsAndRecordsEveryReplyAndItsRecordingReplaysAlike) {
  if (!test::CanCapture()) GTEST_SKIP() << test::kNeedsRoot;
  char error[PCAP_ERRBUF_SIZE] = {};
  const std::unique_ptr<pcap_t, decltype(&pcap_close)> recorder(
      pcap_open_live("lo", 65535, 0, 1, error), pcap_close);
  ASSERT_TRUE(recorder && pcap_setnonblock(recorder.get(), 1, error) == 0) << error;
  const QTemporaryDir dir;
  const QString history = dir.filePath(QStringLiteral("history.sqlite"));
  const QDateTime before = QDateTime::currentDateTimeUtc();
  std::thread traffic(SendHelloAndTwoReplies);
  const CliRun live = RunDorvexCli(
      {"--interface", "lo", "--replies", "2", "--seconds", "20", "--history", history});
  traffic.join();
  const QDateTime after = QDateTime::currentDateTimeUtc();
  ASSERT_EQ(live.status, cli::kExitOk) << live.err.toStdString();

  QString readError;
  const auto replies = ReadHistory(history, {}, readError);
  ASSERT_TRUE(replies) << readError.toStdString();
  ASSERT_EQ(replies->size(), 2u);
  const std::vector<DecodedRecord> expected[] = {{{"idun", 321}, {"urdr", 65535}},
                                                 {{"verdandi", 1200}, {"magni", 800}, {"urdr", 7}}};
  for (std::size_t i = 0; i < 2; ++i) {
    const HistoryReply& reply = (*replies)[i];
    EXPECT_EQ(reply.adapter, QStringLiteral("lo"));
    EXPECT_EQ(reply.serverAddress, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(reply.serverPort, 6900);
    EXPECT_EQ(reply.records, expected[i]);
    EXPECT_TRUE(before <= reply.captureTimeUtc && reply.captureTimeUtc <= after);
    EXPECT_TRUE(reply.localTime.isValid());
  }

  QThread::msleep(200);  // packets still in flight
  const QString path = dir.filePath(QStringLiteral("loopback.pcap"));
  pcap_dumper_t* dumper = pcap_dump_open(recorder.get(), path.toLocal8Bit().constData());
  ASSERT_TRUE(dumper) << pcap_geterr(recorder.get());
  while (pcap_dispatch(recorder.get(), -1, pcap_dump, reinterpret_cast<u_char*>(dumper)) > 0) {
  }
  pcap_dump_close(dumper);
  const CliRun replay = RunDorvexCli({QStringLiteral("--read"), path});
  ASSERT_EQ(replay.status, cli::kExitOk) << replay.err.toStdString();
  QThread::msleep(1100);  // the login line comes from the frames, not from the clock
  EXPECT_EQ(RunDorvexCli({QStringLiteral("--read"), path}).out, replay.out);

  // The live run's second report is the replay's but for the login line (live: the time of the
  // run); the counts of both replies are in it, the first reply's idun too.
  const QStringList liveLines = QString::fromUtf8(live.out).split(QStringLiteral("\r\n"));
  const QStringList replayLines = QString::fromUtf8(replay.out).split(QStringLiteral("\r\n"));
  ASSERT_EQ(liveLines.size(), 2 * replayLines.size() - 1);
  EXPECT_EQ(liveLines.mid(replayLines.size()), replayLines.mid(1));
  for (const char* line : {"【verdandi】 1200", "【　magni .】 800", "【　urdr　　 】 7",
                           "【　idun　 .】 321", "【　 全鯖合計 　.】2328"}) {
    EXPECT_TRUE(replayLines.contains(QString::fromUtf8(line))) << line;
  }
}

// Each failure is one line on stderr that names the file, adapter or filter and the reason, and
// an exit status; nothing on stdout.
TEST(CliCaptureFailureTest, NameTheFileAdapterOrFilterAndTheReason) {
  const QString text = QStringLiteral(DORVEX_SOURCE_DIR "/tests/capture/CMakeLists.txt");
  const struct {
    QStringList arguments;
    int status;
    QString message;
    bool asNobody = false;
  } cases[] = {
      {{"--read", text}, cli::kExitFailure, "CMakeLists.txt: not a capture file"},
      {{"--interface", "no-such0"}, cli::kExitFailure, "no-such0: no such capture adapter"},
      {{"--interface", "lo", "--filter", "("}, cli::kExitFailure, "filter '(' does not compile"},
      {{"--read", text, "--interface", "lo"}, cli::kExitUsage, "exclude each other"},
      // The helper refuses a user without the right to capture; the hint comes with the reason.
      {{"--interface", "lo"}, cli::kExitFailure, "lo: capture not permitted (", true},
  };
  const auto matches = [](const CliRun& run, const auto& c) {
    return run.status == c.status && run.err.startsWith(QStringLiteral("dorvex-cli: ")) &&
           run.err.contains(c.message) && run.err.count(u'\n') == 1 && run.out.isEmpty() &&
           (!c.asNobody || run.err.endsWith(QStringLiteral(R"(see "Capture rights" in the README)"
                                                           "\n")));
  };
  for (const auto& c : cases) {
    if (!c.asNobody) {
      const CliRun run = RunDorvexCli(c.arguments);
      EXPECT_TRUE(matches(run, c)) << run.status << ": " << run.err.toStdString();
    } else if (test::CanCapture()) {
      EXPECT_EQ(test::RunAsNobody([&] { return matches(RunDorvexCli(c.arguments), c) ? 0 : 1; }), 0)
          << "1: another outcome, 125: cannot give up root";
    }
  }
}

}  // namespace
}  // namespace dorvex

// A Qt application object: the capture component hands packets to the main thread through it.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
