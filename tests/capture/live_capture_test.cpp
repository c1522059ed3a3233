// The capture component and dorvex-cli on the real loopback adapter: real TCP traffic reaches them.

#include <gtest/gtest.h>
#include <sys/syscall.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>

#include "capture/snoop_tcp_data.h"
#include "history/history_read.h"
#include "tests/support/adapter_index.h"
#include "tests/support/cli_run.h"
#include "tests/support/frame_builder.h"
#include "tests/support/live_test_support.h"

namespace dorvex {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

const Bytes kHello = {'h', 'e', 'l', 'l', 'o'};
const Bytes kReplyA = test::WorldListReply({{"idun", 321}, {"urdr", 65535}});
const Bytes kReplyB = test::WorldListReply({{"verdandi", 1200}, {"magni", 800}, {"urdr", 7}});

// Every public member once: defaults, setters, adapter members following each other, Open failures.
TEST(SnoopMembersTest, EveryMemberOnceAndOpenFailures) {
  TSnoopTCPData snoop;
  EXPECT_TRUE(!snoop.Active() && snoop.LastError().isEmpty());
  EXPECT_EQ(snoop.LastFailure(), capture_helper::kExitOk);
  // Each property's default, read through the property system (the failures below write some).
  const QVariantList defaults = {"CaptureEnabled", true, "ThreadSafe", true, "Filter",      "tcp",
                                 "SnapLen",        1600, "Flags",      1,    "ReadTimeOut", 100};
  for (qsizetype i = 0; i < defaults.size(); i += 2) {
    EXPECT_EQ(snoop.property(defaults[i].toByteArray()), defaults[i + 1]) << i;
  }
  const QStringList &names = snoop.AdapterNames(), &descriptions = snoop.AdapterDescriptions();
  const int lo = test::LoopbackAdapterIndex();
  ASSERT_TRUE(descriptions.size() == names.size() && names.value(lo) == "lo") << "libpcap's order";
  // The first described adapter (-1: none) is its description's lowest index.
  const auto described = std::ranges::find_if(descriptions, [](auto& t) { return !t.isEmpty(); });
  const int firstDescribed =
      described == descriptions.end() ? -1 : static_cast<int>(described - descriptions.begin());
  const std::pair<std::function<void()>, int> adapters[] = {
      {[] {}, -1},
      {[&] { snoop.SetAdapterIndex(lo); }, lo},
      {[&] { snoop.SetAdapterIndex(static_cast<int>(names.size())); }, -1},
      {[&] { snoop.SetAdapterName(QStringLiteral("lo")); }, lo},
      {[&] { snoop.SetAdapterIndex(-5); }, -1},
      {[&] { snoop.SetAdapterName(QStringLiteral("LO")); }, -1},  // names match exactly
      {[&] { snoop.SetAdapterDescription(descriptions.value(firstDescribed)); }, firstDescribed},
      {[&] { snoop.SetAdapterDescription(QStringLiteral("no such adapter")); }, -1}};
  for (const auto& [set, index] : adapters) {
    set();
    EXPECT_TRUE(snoop.AdapterIndex() == index && snoop.AdapterName() == names.value(index) &&
                snoop.AdapterDescription() == descriptions.value(index))
        << index;
  }

  // A failed Open leaves it closed, its text in LastError and the helper's refusal in LastFailure;
  // ReadTimeOut reaches the helper, Filter is compiled here. "": the library's own text.
  if (!test::CanCapture()) return;
  const std::tuple<const char*, QVariant, const char*, capture_helper::Status> failures[] = {
      {"AdapterName", "no-such0", "Snoop Error: Invalid AdapterName", capture_helper::kExitOk},
      {"Filter", "tcp port", "", capture_helper::kExitOk},
      {"ReadTimeOut", 0, "--timeout must be", capture_helper::kExitUsage},
  };
  for (const auto& [name, value, errorStart, failure] : failures) {
    TSnoopTCPData failing;
    failing.SetAdapterName(QStringLiteral("lo"));
    failing.setProperty(name, value);
    failing.Open();
    const std::string error = failing.LastError().toStdString();
    EXPECT_FALSE(failing.Active() || error.empty()) << error;
    EXPECT_EQ(error.rfind(errorStart, 0), 0u) << error;
    EXPECT_EQ(error.rfind("Snoop Error", 0) == 0, *errorStart == 'S') << error;
    EXPECT_EQ(failing.LastFailure(), failure) << error;
  }
}

class ThreadSafeTest : public ::testing::TestWithParam<bool> {};

// Payloads reach the handler on the thread ThreadSafe picks; Close stops a blocked thread; with
// CaptureEnabled off it opens without a thread; a handler's exception ends the capture silently;
// destroying it while a packet waits in the hand-over neither hangs nor delivers the packet.
TEST_P(ThreadSafeTest, PayloadsCloseCaptureEnabledHandlerFailureAndDestruction) {
  if (!test::CanCapture()) GTEST_SKIP() << test::kNeedsRoot;
  std::mutex mutex;  // the handler may run on the capture thread
  std::vector<Bytes> payloads;
  bool ranOnMainThread = false;
  QStringList messages;
  auto owned = std::make_unique<TSnoopTCPData>(nullptr, [&](auto& text) { messages << text; });
  TSnoopTCPData& snoop = *owned;
  const auto keep = [&](QObject*, PPCAP_PKTHDR, PETHERNET_HDR, PIP_HDR, PTCP_HDR,
                        const std::uint8_t* data, std::int32_t length) {
    const std::lock_guard lock(mutex);
    payloads.emplace_back(data, data + length);
    ranOnMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
  };
  const auto kept = [&] {
    const std::lock_guard lock(mutex);
    return payloads;
  };
  const auto open = [&] {
    snoop.Open();
    return snoop.Active();
  };
  snoop.SetFilter(QStringLiteral("tcp port 6900"));
  snoop.SetAdapterName(QStringLiteral("lo"));
  snoop.OnCaptureTCPData = keep;
  snoop.SetThreadSafe(GetParam());
  ASSERT_TRUE(open()) << snoop.LastError().toStdString();
  test::LoopbackConnection connection;
  connection.ClientSends(kHello);
  connection.ServerSends(kReplyA);
  ASSERT_TRUE(test::PumpUntil([&] { return kept().size() == 2; }));
  EXPECT_EQ(kept(), (std::vector<Bytes>{Bytes(kHello.size(), 0), kReplyA}));  // the client's zeroed
  EXPECT_EQ(ranOnMainThread, GetParam());
  test::PumpFor(50ms);             // no traffic: the capture thread is blocked in its read
  snoop.SetCaptureEnabled(false);  // Close still stops the running thread
  snoop.Close();                   // a hang fails the test by its time-out
  EXPECT_FALSE(snoop.Active());
  snoop.SetCaptureEnabled(true);

  snoop.OnCaptureTCPData = [](auto&&...) { throw std::runtime_error("handler"); };
  ASSERT_TRUE(open());
  connection.ServerSends(kHello);
  ASSERT_TRUE(test::PumpUntil([&] { return !snoop.Active(); }));
  EXPECT_TRUE(snoop.LastError().isEmpty() && messages.isEmpty());
  snoop.Close();

  snoop.OnCaptureTCPData = keep;
  snoop.SetCaptureEnabled(false);
  ASSERT_TRUE(open());
  EXPECT_TRUE(open() && snoop.LastError() == "Snoop Error: Already open");
  connection.ServerSends(kHello);
  test::PumpFor(300ms);
  EXPECT_EQ(kept().size(), 2u) << "no thread, no payloads";
  snoop.Close();

  snoop.SetCaptureEnabled(true);
  // No event loop runs, so the packet stays in the hand-over: the capture thread waits on a futex
  // there (an idle one waits in its read).
  if (!GetParam()) return;
  const auto threads = [] {
    std::set<std::string> ids;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
      ids.insert(task.path().string() + "/syscall");
    }
    return ids;
  };
  const std::set<std::string> before = threads();
  ASSERT_TRUE(open());
  std::vector<std::string> started;
  std::ranges::set_difference(threads(), before, std::back_inserter(started));
  ASSERT_EQ(started.size(), 1u) << "the capture thread";
  connection.ServerSends(kReplyB);
  long call = -1;
  for (int i = 0; i < 5000 && call != SYS_futex; ++i) {
    std::this_thread::sleep_for(1ms);
    if (!(std::ifstream(started.front()) >> call)) call = -1;
  }
  ASSERT_EQ(call, SYS_futex) << "the capture thread's system call";
  owned.reset();
  test::PumpFor(100ms);  // a wake-up left behind would arrive now
  EXPECT_EQ(kept().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(ThreadSafe, ThreadSafeTest, ::testing::Bool(),
                         [](const auto& testInfo) { return testInfo.param ? "On" : "Off"; });

test::ProgramRun RunCli(const QStringList& arguments, bool unprivileged = false) {
  return test::RunProgram(QStringLiteral(DORVEX_CLI_PATH), arguments, unprivileged);
}

// Capture failures: one stderr line naming the file, adapter or filter and why, a status, no
// report; a user without rights gets the hint. Live: a report per reply, each reply recorded with
// its source, but one that repeats the previous within a second.
TEST(CliTest, CaptureFailuresAndALiveRunThatReportsAndRecordsEveryReply) {
  const QString text = QStringLiteral(DORVEX_SOURCE_DIR "/tests/capture/CMakeLists.txt");
  const std::tuple<QStringList, int, QString, bool> cases[] = {
      // the last: as nobody
      {{"--read", text}, 1, "CMakeLists.txt: not a capture file", false},
      {{"--interface", "no-such0"}, 1, "no-such0: no such capture adapter", false},
      {{"--interface", "lo", "--filter", "("}, 1, "filter '(' does not compile", false},
      {{"--read", text, "--interface", "lo"}, 2, "exclude each other", false},
      {{"--interface", "lo"}, 1, "lo: capture not permitted (", true},
  };
  const QString hint = QStringLiteral("see \"Capture rights\" in the README\n");
  for (const auto& [arguments, status, message, asNobody] : cases) {
    const test::ProgramRun run = RunCli(arguments, asNobody);
    const QString err = QString::fromUtf8(run.err);
    EXPECT_TRUE(run.exitCode == status && err.startsWith(QStringLiteral("dorvex-cli: ")) &&
                err.contains(message) && err.count(u'\n') == 1 && run.out.isEmpty() &&
                (!asNobody || err.endsWith(hint)))
        << run.exitCode << ": " << run.err.toStdString();
  }
  if (!test::CanCapture()) return;
  const QTemporaryDir dir;
  const QString history = dir.filePath(QStringLiteral("history.sqlite"));
  const QDateTime before = QDateTime::currentDateTimeUtc();
  std::thread traffic([] {
    std::this_thread::sleep_for(1s);  // while dorvex-cli opens the adapter
    test::LoopbackConnection connection;
    connection.ClientSends(kHello);
    connection.ServerSends(kReplyA);
    connection.ServerSends(kReplyB);  // shown, and coalesced with the first in the history
    std::this_thread::sleep_for(1100ms);
    connection.ServerSends(kReplyB);
  });
  const test::ProgramRun live =
      RunCli({"--interface", "lo", "--replies", "3", "--seconds", "20", "--history", history});
  traffic.join();
  ASSERT_EQ(live.exitCode, 0) << live.err.toStdString();
  const QString out = QString::fromUtf8(live.out);
  EXPECT_TRUE(out.count(QStringLiteral("【計測方法】")) == 3 &&
              out.contains("【　idun　 .】 321\r\n") && out.contains("【　 全鯖合計 　.】2328\r\n"))
      << live.out.toStdString();
  QString error;
  const auto replies = ReadHistory(history, {}, error);
  ASSERT_TRUE(replies && replies->size() == 2) << error.toStdString();
  EXPECT_EQ(replies->back().records,
            (std::vector<DecodedRecord>{{"verdandi", 1200}, {"magni", 800}, {"urdr", 7}}));
  for (const HistoryReply& reply : *replies) {
    EXPECT_EQ(reply.adapter + ' ' + reply.serverAddress, QStringLiteral("lo 127.0.0.1"));
    EXPECT_TRUE(reply.serverPort == 6900 && reply.localTime.isValid() &&
                before <= reply.captureTimeUtc &&
                reply.captureTimeUtc <= QDateTime::currentDateTimeUtc());
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
