// The capture component on the real loopback adapter, with real TCP traffic on port 6900.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>

#include <sys/wait.h>
#include <unistd.h>

#include "capture_failure.h"
#include "count_store.h"
#include "frame_builder.h"
#include "live_test_support.h"
#include "login_time.h"
#include "loopback_peer.h"
#include "snoop_tcp_data.h"
#include "world_list_reader.h"

namespace dorvex {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::LoopbackConnection;
using test::PumpFor;
using test::PumpUntil;

const Bytes kHello = {'h', 'e', 'l', 'l', 'o'};

// What the handler saw, from whichever thread ran it.
class Recorder {
 public:
  void Record(const std::uint8_t* data, std::int32_t length, bool ethernet) {
    std::lock_guard lock(mutex_);
    payloads_.emplace_back(data, data + length);
    threads_.push_back(QThread::currentThread());
    allEthernet_ = allEthernet_ && ethernet;
  }
  std::size_t Count() const {
    std::lock_guard lock(mutex_);
    return payloads_.size();
  }
  std::vector<Bytes> Payloads() const {
    std::lock_guard lock(mutex_);
    return payloads_;
  }
  std::vector<QThread*> Threads() const {
    std::lock_guard lock(mutex_);
    return threads_;
  }
  bool AllEthernet() const {
    std::lock_guard lock(mutex_);
    return allEthernet_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Bytes> payloads_;
  std::vector<QThread*> threads_;
  bool allEthernet_ = true;
};

class LiveCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::CanCapture()) GTEST_SKIP() << test::kNeedsRoot;
    snoop_ = std::make_unique<TSnoopTCPData>(
        nullptr, [this](const QString& text) { messages_.push_back(text); });
    snoop_->SetFilter(QStringLiteral("tcp port 6900"));
    snoop_->SetAdapterName(QStringLiteral("lo"));
    snoop_->OnCaptureTCPData = [this](QObject*, PPCAP_PKTHDR, PETHERNET_HDR ethernet, PIP_HDR,
                                      PTCP_HDR, const std::uint8_t* data, std::int32_t length) {
      recorder_.Record(data, length, ethernet != nullptr);
    };
  }

  void OpenOrFail() {
    snoop_->Open();
    ASSERT_TRUE(snoop_->Active()) << snoop_->LastError().toStdString();
  }

  std::unique_ptr<TSnoopTCPData> snoop_;
  Recorder recorder_;
  QStringList messages_;
};

TEST_F(LiveCaptureTest, WorldListReplyReachesHandlerAndCountStore) {
  CountStore store;
  LoginTime loginTime;
  int updates = 0;
  WorldListReader reader(store, loginTime, [&] { ++updates; });
  const Bytes reply = test::WorldListReply({{"idun", 1234}, {"verdandi", 1000}, {"urdr", 65535}});
  snoop_->OnCaptureTCPData = [&](QObject* sender, PPCAP_PKTHDR header, PETHERNET_HDR ethernet,
                                 PIP_HDR, PTCP_HDR, const std::uint8_t* data, std::int32_t length) {
    EXPECT_EQ(sender, snoop_.get());
    EXPECT_EQ(static_cast<const void*>(ethernet), static_cast<const void*>(data - 66))
        << "loopback frames: Ethernet, IPv4 and TCP with timestamp options";
    EXPECT_GE(header->caplen, static_cast<bpf_u_int32>(length));
    recorder_.Record(data, length, ethernet != nullptr);
    reader.Read(data, length);
  };
  OpenOrFail();
  LoopbackConnection connection;
  connection.ClientSends(kHello);
  connection.ServerSends(reply);
  ASSERT_TRUE(PumpUntil([&] { return recorder_.Count() == 2; }));

  EXPECT_EQ(recorder_.Payloads(), (std::vector<Bytes>{kHello, reply}));
  EXPECT_EQ(updates, 1);
  ASSERT_EQ(store.Count(), 3);
  EXPECT_EQ(store.Name(1), QStringLiteral("verdandi"));
  EXPECT_EQ(store.CountText(1), QStringLiteral("1000"));
  EXPECT_EQ(store.CountText(2), QStringLiteral("65535"));
  snoop_->Close();
  EXPECT_FALSE(snoop_->Active());
  EXPECT_TRUE(messages_.isEmpty());
}

class ThreadSafeTest : public LiveCaptureTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ThreadSafeTest, DecidesWhichThreadRunsTheHandlerUntilTheNextOpen) {
  const bool threadSafe = GetParam();
  snoop_->SetThreadSafe(threadSafe);
  OpenOrFail();
  snoop_->SetThreadSafe(!threadSafe);  // no effect on the running capture
  LoopbackConnection connection;
  connection.ServerSends(kHello);
  ASSERT_TRUE(PumpUntil([&] { return recorder_.Count() == 1; }));
  const bool onMainThread = recorder_.Threads().front() == QCoreApplication::instance()->thread();
  EXPECT_EQ(onMainThread, threadSafe);
  EXPECT_TRUE(recorder_.AllEthernet());
  snoop_->Close();

  OpenOrFail();  // the changed value applies now
  connection.ServerSends(kHello);
  ASSERT_TRUE(PumpUntil([&] { return recorder_.Count() == 2; }));
  const bool nowOnMainThread = recorder_.Threads().back() == QCoreApplication::instance()->thread();
  EXPECT_EQ(nowOnMainThread, !threadSafe);
}

TEST_P(ThreadSafeTest, CloseWithoutTrafficIsPrompt) {
  snoop_->SetThreadSafe(GetParam());
  OpenOrFail();
  PumpFor(50ms);  // the capture thread is now blocked in its read
  QElapsedTimer timer;
  timer.start();
  snoop_->Close();
  EXPECT_LT(timer.elapsed(), 2000) << "Close hangs";  // a hang check; figures are in bench/
  EXPECT_FALSE(snoop_->Active());
}

TEST_P(ThreadSafeTest, ExceptionInHandlerEndsCaptureSilently) {
  snoop_->SetThreadSafe(GetParam());
  snoop_->OnCaptureTCPData = [](QObject*, PPCAP_PKTHDR, PETHERNET_HDR, PIP_HDR, PTCP_HDR,
                                const std::uint8_t*,
                                std::int32_t) { throw std::runtime_error("handler failed"); };
  OpenOrFail();
  LoopbackConnection connection;
  connection.ServerSends(kHello);
  ASSERT_TRUE(PumpUntil([&] { return !snoop_->Active(); }));
  EXPECT_TRUE(snoop_->LastError().isEmpty());
  EXPECT_TRUE(messages_.isEmpty());
  snoop_->Close();  // finds it Closed: nothing to do, nothing shown
  EXPECT_TRUE(messages_.isEmpty());

  // A new Open starts afresh with a new handle and thread.
  snoop_->OnCaptureTCPData = [this](QObject*, PPCAP_PKTHDR, PETHERNET_HDR, PIP_HDR, PTCP_HDR,
                                    const std::uint8_t* data,
                                    std::int32_t length) { recorder_.Record(data, length, true); };
  OpenOrFail();
  connection.ServerSends(kHello);
  EXPECT_TRUE(PumpUntil([&] { return recorder_.Count() == 1; }));
}

INSTANTIATE_TEST_SUITE_P(ThreadSafe, ThreadSafeTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

TEST_F(LiveCaptureTest, SecondOpenLeavesTheCaptureRunning) {
  OpenOrFail();
  snoop_->Open();
  EXPECT_EQ(snoop_->LastError(), QStringLiteral("Snoop Error: Already open"));
  EXPECT_TRUE(snoop_->Active());
  LoopbackConnection connection;
  connection.ServerSends(kHello);
  EXPECT_TRUE(PumpUntil([&] { return recorder_.Count() == 1; }));
}

TEST_F(LiveCaptureTest, CaptureDisabledOpensWithoutThread) {
  snoop_->SetCaptureEnabled(false);
  OpenOrFail();
  LoopbackConnection connection;
  connection.ServerSends(kHello);
  PumpFor(300ms);
  EXPECT_EQ(recorder_.Count(), 0u);
  snoop_->Close();
  EXPECT_FALSE(snoop_->Active());
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(LiveCaptureTest, CaptureDisabledWhileCapturingStillStopsTheThread) {
  OpenOrFail();
  snoop_->SetCaptureEnabled(false);
  snoop_->Close();
  EXPECT_FALSE(snoop_->Active());
  snoop_->SetCaptureEnabled(true);
  OpenOrFail();  // a fresh thread; the old one is gone
  LoopbackConnection connection;
  connection.ServerSends(kHello);
  EXPECT_TRUE(PumpUntil([&] { return recorder_.Count() == 1; }));
}

TEST_F(LiveCaptureTest, CloseWithNoThreadToStopReportsAndStaysOpen) {
  snoop_->SetCaptureEnabled(false);
  OpenOrFail();
  snoop_->SetCaptureEnabled(true);
  snoop_->Close();
  EXPECT_TRUE(snoop_->Active());
  const QString noThread = QStringLiteral("Snoop Error: No thread to stop");
  EXPECT_EQ(snoop_->LastError(), noThread);
  EXPECT_EQ(messages_, QStringList{noThread});
  // Destruction runs Close (the same message) and still releases the handle: the leak checker
  // of the sanitizer build sees one that is not closed.
  snoop_.reset();
  EXPECT_EQ(messages_, QStringList({noThread, noThread}));
}

TEST_F(LiveCaptureTest, FilterThatDoesNotCompileLeavesItClosed) {
  snoop_->SetFilter(QStringLiteral("tcp port"));
  snoop_->Open();
  EXPECT_FALSE(snoop_->Active());
  EXPECT_FALSE(snoop_->LastError().isEmpty());
  EXPECT_FALSE(snoop_->LastError().startsWith(QStringLiteral("Snoop Error")))
      << "the library's own text";
  snoop_->SetFilter(QStringLiteral("tcp port 6900"));
  OpenOrFail();
}

// Close while the capture thread waits in a hand-over: the wait serves that packet and nothing
// else (a queued timer of the main thread does not run inside Close).
TEST_F(LiveCaptureTest, CloseServesAPendingHandOverButNoOtherEvents) {
  LoopbackConnection connection;  // before Open: the payload is the first packet captured
  OpenOrFail();
  connection.ServerSends(kHello);
  QThread::msleep(200);  // the capture thread has read it and waits for the main thread
  bool timerRan = false;
  QTimer::singleShot(0, [&] { timerRan = true; });
  snoop_->Close();
  EXPECT_EQ(recorder_.Count(), 1u);
  EXPECT_FALSE(timerRan);
  EXPECT_FALSE(snoop_->Active());
  PumpUntil([&] { return timerRan; });
  EXPECT_TRUE(timerRan);
}

TEST_F(LiveCaptureTest, DestroyedWhileTrafficFlows) {
  OpenOrFail();
  LoopbackConnection connection;
  for (int i = 0; i < 20; ++i) connection.ServerSends(kHello);
  PumpFor(20ms);
  snoop_.reset();
  const std::size_t seen = recorder_.Count();
  PumpFor(100ms);  // no stale wake-up reaches a destroyed component
  EXPECT_EQ(recorder_.Count(), seen);
}

// An adapter that disappears under a running capture makes the read fail: the capture ends with
// the read error's text and no message, and the component opens again afterwards.
TEST_F(LiveCaptureTest, ReadErrorEndsCaptureWithItsText) {
  // A tap left over by an interrupted run goes first.
  if (std::system("ip link del dorvextap0 2>/dev/null; "
                  "ip tuntap add dev dorvextap0 mode tap && ip link set dorvextap0 up") != 0) {
    GTEST_SKIP() << "cannot create a tap adapter here (ip tuntap)";
  }
  TSnoopTCPData snoop(nullptr, [this](const QString& text) { messages_.push_back(text); });
  snoop.SetAdapterName(QStringLiteral("dorvextap0"));
  snoop.Open();
  const bool opened = snoop.Active();
  PumpFor(50ms);  // the capture thread is blocked in its read
  const int removed = std::system("ip link del dorvextap0");
  ASSERT_TRUE(opened) << snoop.LastError().toStdString();
  ASSERT_EQ(removed, 0);
  EXPECT_TRUE(PumpUntil([&] { return !snoop.Active(); }));
  EXPECT_EQ(snoop.LastError(), QStringLiteral("Snoop Error: pcap_next_ex return -1"));
  EXPECT_TRUE(messages_.isEmpty());

  snoop.SetAdapterName(QStringLiteral("lo"));
  snoop.Open();
  EXPECT_TRUE(snoop.Active()) << snoop.LastError().toStdString();
}

// Without capture rights Open fails with the library's permission text, which callers recognise.
TEST_F(LiveCaptureTest, WithoutCaptureRightsOpenFailsWithAPermissionText) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The child drops root for good (the nobody user), opens and reports through its exit code.
    if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) _exit(10);
    TSnoopTCPData snoop;
    snoop.SetAdapterName(QStringLiteral("lo"));
    snoop.Open();
    if (snoop.Active()) _exit(11);
    _exit(IsPermissionFailure(snoop.LastError()) ? 0 : 12);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10: cannot drop root, 11: opened, 12: other text";
  EXPECT_FALSE(IsPermissionFailure(QStringLiteral("Snoop Error: Invalid AdapterName")));
}

}  // namespace
}  // namespace dorvex
