// The capture component on the real loopback adapter, with real TCP traffic on port 6900.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <memory>
#include <mutex>
#include <stdexcept>

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

class LiveCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::CanCapture()) GTEST_SKIP() << test::kNeedsRoot;
    snoop_ = std::make_unique<TSnoopTCPData>(
        nullptr, [this](const QString& text) { messages_.push_back(text); });
    snoop_->SetFilter(QStringLiteral("tcp port 6900"));
    snoop_->SetAdapterName(QStringLiteral("lo"));
    snoop_->OnCaptureTCPData = [this](QObject*, PPCAP_PKTHDR, PETHERNET_HDR, PIP_HDR, PTCP_HDR,
                                      const std::uint8_t* data, std::int32_t length) {
      std::lock_guard lock(mutex_);
      payloads_.emplace_back(data, data + length);
      lastThread_ = QThread::currentThread();
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
  std::size_t Count() { return Payloads().size(); }
  bool Handled(std::size_t count) {
    return PumpUntil([&] { return Count() == count; });
  }
  bool LastRanOnMainThread() {
    std::lock_guard lock(mutex_);
    return lastThread_ == QCoreApplication::instance()->thread();
  }

  std::unique_ptr<TSnoopTCPData> snoop_;
  std::mutex mutex_;  // the handler may run on the capture thread
  std::vector<Bytes> payloads_;
  QThread* lastThread_ = nullptr;
  QStringList messages_;
};

TEST_F(LiveCaptureTest, WorldListReplyReachesHandlerAndCountStore) {
  CountStore store;
  LoginTime loginTime;
  int updates = 0;
  WorldListReader reader(store, loginTime, [&] { ++updates; });
  const Bytes reply = test::WorldListReply({{"idun", 1234}, {"verdandi", 1000}, {"urdr", 65535}});
  const auto record = snoop_->OnCaptureTCPData;
  snoop_->OnCaptureTCPData = [&](QObject* sender, PPCAP_PKTHDR header, PETHERNET_HDR ethernet,
                                 PIP_HDR ip, PTCP_HDR tcp, const std::uint8_t* data,
                                 std::int32_t length) {
    EXPECT_EQ(sender, snoop_.get());
    EXPECT_EQ(static_cast<const void*>(ethernet), static_cast<const void*>(data - 66))
        << "loopback frames: Ethernet, IPv4 and TCP with timestamp options";
    EXPECT_EQ(header->caplen, static_cast<bpf_u_int32>(66 + length));
    record(sender, header, ethernet, ip, tcp, data, length);
    reader.Read(data, length);
  };
  OpenOrFail();
  snoop_->Open();  // a second Open leaves the capture running
  EXPECT_EQ(snoop_->LastError(), QStringLiteral("Snoop Error: Already open"));
  LoopbackConnection connection;
  connection.ClientSends(kHello);
  connection.ServerSends(reply);
  ASSERT_TRUE(Handled(2));

  EXPECT_EQ(Payloads(), (std::vector<Bytes>{kHello, reply}));
  EXPECT_EQ(updates, 1);
  ASSERT_EQ(store.Count(), 3);
  EXPECT_EQ(store.Name(1), QStringLiteral("verdandi"));
  EXPECT_EQ(store.CountText(2), QStringLiteral("65535"));
  snoop_->Close();
  EXPECT_FALSE(snoop_->Active());
  EXPECT_TRUE(messages_.isEmpty());
}

class ThreadSafeTest : public LiveCaptureTest, public ::testing::WithParamInterface<bool> {};

// One capture after another with each ThreadSafe value: ThreadSafe, read at Open, decides which
// thread runs the handler; Close is prompt; an exception in the handler ends the capture.
TEST_P(ThreadSafeTest, HandlerThreadCloseAndHandlerFailure) {
  const bool threadSafe = GetParam();
  snoop_->SetThreadSafe(threadSafe);
  OpenOrFail();
  snoop_->SetThreadSafe(!threadSafe);  // no effect on the running capture
  LoopbackConnection connection;
  connection.ServerSends(kHello);
  ASSERT_TRUE(Handled(1));
  EXPECT_EQ(LastRanOnMainThread(), threadSafe);
  PumpFor(50ms);  // no traffic: the capture thread is blocked in its read
  QElapsedTimer timer;
  timer.start();
  snoop_->Close();
  EXPECT_LT(timer.elapsed(), 2000) << "Close hangs";  // a hang check; figures are in bench/
  EXPECT_FALSE(snoop_->Active());

  // An exception in the handler ends the capture silently.
  const auto record = std::exchange(snoop_->OnCaptureTCPData,
                                    [](auto&&...) { throw std::runtime_error("handler failed"); });
  OpenOrFail();
  connection.ServerSends(kHello);
  ASSERT_TRUE(PumpUntil([&] { return !snoop_->Active(); }));
  EXPECT_TRUE(snoop_->LastError().isEmpty());
  snoop_->Close();  // finds it closed: nothing to do, nothing shown
  EXPECT_TRUE(messages_.isEmpty());

  snoop_->OnCaptureTCPData = record;
  OpenOrFail();  // afresh, with a new handle and thread, and the changed ThreadSafe
  connection.ServerSends(kHello);
  ASSERT_TRUE(Handled(2));
  EXPECT_EQ(LastRanOnMainThread(), !threadSafe);

  // Destroyed with a packet read: with ThreadSafe on, the capture thread waits in a hand-over.
  // No hang, and no handler runs from then on.
  connection.ServerSends(kHello);
  QThread::msleep(200);
  const std::size_t count = Count();
  snoop_.reset();
  PumpFor(100ms);
  EXPECT_EQ(Count(), count);
}

INSTANTIATE_TEST_SUITE_P(ThreadSafe, ThreadSafeTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

TEST_F(LiveCaptureTest, CaptureEnabledOffOpensWithoutThread) {
  OpenOrFail();
  snoop_->SetCaptureEnabled(false);
  snoop_->Close();  // still stops the running thread
  EXPECT_FALSE(snoop_->Active());

  OpenOrFail();
  LoopbackConnection connection;
  connection.ServerSends(kHello);
  PumpFor(300ms);
  EXPECT_EQ(Count(), 0u);
  snoop_->Close();
  EXPECT_FALSE(snoop_->Active());
  EXPECT_TRUE(messages_.isEmpty());

  // Switched on while open without a thread: Close has no thread to stop and leaves it open.
  OpenOrFail();
  snoop_->SetCaptureEnabled(true);
  snoop_->Close();
  const QString noThread = QStringLiteral("Snoop Error: No thread to stop");
  EXPECT_TRUE(snoop_->Active());
  EXPECT_EQ(snoop_->LastError(), noThread);
  // Destruction runs Close (the same message) and still releases the handle: the leak checker
  // of the sanitizer build sees one that is not closed.
  snoop_.reset();
  EXPECT_EQ(messages_, QStringList({noThread, noThread}));
}

// A failed Open leaves the component closed with the reason in LastError.
TEST_F(LiveCaptureTest, OpenFailuresLeaveItClosed) {
  const struct {
    QString adapter, filter, error;  // error "": the library's own text
  } cases[] = {
      {"", "tcp port 6900", "Snoop Error: Invalid AdapterName"},
      {"no-such-adapter0", "tcp port 6900", "Snoop Error: Invalid AdapterName"},
      {"LO", "tcp port 6900", "Snoop Error: Invalid AdapterName"},  // letter case matters
      {"lo", "tcp port", ""},
  };
  for (const auto& c : cases) {
    snoop_->SetAdapterName(c.adapter);
    snoop_->SetFilter(c.filter);
    snoop_->Open();
    const QString& error = snoop_->LastError();
    EXPECT_FALSE(snoop_->Active()) << c.adapter.toStdString();
    EXPECT_TRUE(c.error.isEmpty() ? !error.isEmpty() && !error.startsWith(u"Snoop Error")
                                  : error == c.error)
        << error.toStdString();
  }
  snoop_->SetFilter(QStringLiteral("tcp port 6900"));
  snoop_->SetAdapterIndex(static_cast<int>(snoop_->AdapterNames().size()));  // none chosen
  EXPECT_EQ(snoop_->AdapterIndex(), -1);
  EXPECT_TRUE(snoop_->AdapterName().isEmpty() && snoop_->AdapterDescription().isEmpty());
  snoop_->SetAdapterName(QStringLiteral("lo"));
  OpenOrFail();
  EXPECT_TRUE(messages_.isEmpty());
}

}  // namespace
}  // namespace dorvex
