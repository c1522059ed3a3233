// dorvex-cli's capture sources: --read over capture files written by libpcap (built frames, and
// real loopback traffic recorded while the capture component reported it live), --interface.

#include <gtest/gtest.h>
#include <pcap/dlt.h>

#include <QDateTime>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>
#include <thread>

#include "capture_file_writer.h"
#include "cli_app.h"
#include "frame_builder.h"
#include "live_test_support.h"
#include "loopback_peer.h"
#include "loopback_recorder.h"
#include "report_output.h"
#include "report_session.h"
#include "snoop_tcp_data.h"
#include "update_cycle.h"
#include "world_list_reader.h"

namespace dorvex {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

struct CliRun {
  int status;
  QByteArray out;
  QString err;
};

QByteArray ReadBack(std::FILE* file) {
  std::rewind(file);
  QByteArray bytes;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
    bytes.append(buffer, static_cast<qsizetype>(n));
  }
  std::fclose(file);
  return bytes;
}

CliRun RunDorvexCli(const QStringList& arguments) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int status = cli::RunCli(arguments, out, err);
  return {status, ReadBack(out), QString::fromUtf8(ReadBack(err))};
}

QDateTime LocalTimeOf(const timeval& time) {
  return QDateTime::fromMSecsSinceEpoch(qint64{time.tv_sec} * 1000 + time.tv_usec / 1000);
}

// The report rendered at the last reply of `payloads`, each handled at the time given with it,
// with the tally core directly (rendering at every reply, as the window does).
QByteArray ExpectedReport(const std::vector<std::pair<timeval, Bytes>>& payloads,
                          const timeval& firstFrame) {
  QDateTime now = LocalTimeOf(firstFrame);
  CountStore store;
  MemoryFieldSet fields;
  LoginTime loginTime([&now] { return now; });
  loginTime.Stamp();
  QStringList report;
  WorldListReader reader(store, loginTime, [&] {
    report = RunUpdateCycle(store, fields, loginTime.Value(), ReportOptions{}, QLocale::system());
  });
  for (const auto& [time, payload] : payloads) {
    now = LocalTimeOf(time);
    reader.Read(payload.data(), static_cast<std::int64_t>(payload.size()));
  }
  return cli::EncodeReport(JoinReportLines(report), cli::OutputEncoding::kUtf8);
}

const Bytes kReplyA = test::WorldListReply({{"idun", 321}, {"verdandi", 1000}});
const Bytes kReplyB = test::WorldListReply({{"verdandi", 1200}, {"magni", 800}, {"urdr", 7}});
const Bytes kHello = {'h', 'e', 'l', 'l', 'o'};

class ReplayTest : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return dir_.filePath(name).toStdString(); }
  QTemporaryDir dir_;
};

TEST_F(ReplayTest, ReadGivesTheReportOfTheFramesPayloadsAtTheirCaptureTimes) {
  using test::DatagramSpec;
  const auto frame = [](const Bytes& payload) {
    return test::WithLinuxCookedV2(test::BuildDatagram(DatagramSpec().Payload(payload)));
  };
  const timeval t0{1700000000, 250000}, t1{1700000061, 0}, t2{1700003700, 999999},
      t3{1700007300, 0}, t4{1700010900, 0};
  const std::string path = PathOf("cooked.pcap");
  ASSERT_TRUE(test::WriteCaptureFile(
      path, DLT_LINUX_SLL2,
      {{t0, test::WithLinuxCookedV2(test::BuildDatagram(DatagramSpec()))},  // an acknowledgement
       {t1, frame(kHello)},
       {t2, frame(kReplyA)},
       {t3, frame(kReplyB)},
       {t4, frame(kHello)}}));  // after the last reply: not in the report

  const CliRun run = RunDorvexCli({QStringLiteral("--read"), QString::fromStdString(path)});
  ASSERT_EQ(run.status, cli::kExitOk) << run.err.toStdString();
  EXPECT_EQ(run.out,
            ExpectedReport({{t1, kHello}, {t2, kReplyA}, {t3, kReplyB}, {t4, kHello}}, t0));
  EXPECT_TRUE(run.err.isEmpty());
}

TEST_F(ReplayTest, ReadFailuresNameTheFileOrFilterAndTheReason) {
  const std::string notCapture = PathOf("text.pcap");
  std::FILE* f = std::fopen(notCapture.c_str(), "w");
  std::fputs("not a capture\n", f);
  std::fclose(f);
  const std::string wireless = PathOf("wireless.pcap");
  ASSERT_TRUE(test::WriteCaptureFile(wireless, DLT_IEEE802_11, {}));
  const std::string ethernet = PathOf("ethernet.pcap");
  ASSERT_TRUE(test::WriteCaptureFile(ethernet, DLT_EN10MB, {}));
  const std::string truncated = PathOf("truncated.pcap");
  ASSERT_TRUE(test::WriteCaptureFile(truncated, DLT_EN10MB,
                                     {{{1, 0}, test::WithEthernet(test::BuildDatagram({}))}}));
  ASSERT_EQ(truncate(truncated.c_str(), 24 + 16 + 10), 0);

  const struct {
    QStringList arguments;
    QString message;
  } cases[] = {
      {{"--read", QString::fromStdString(PathOf("missing.pcap"))}, "missing.pcap: cannot open"},
      {{"--read", QString::fromStdString(notCapture)},
       "text.pcap: not a capture file (pcap or pcapng)"},
      {{"--read", QString::fromStdString(wireless)}, "link type IEEE802_11 is not supported"},
      {{"--read", QString::fromStdString(ethernet), "--filter", "tcp port"},
       "filter 'tcp port' does not compile"},
      {{"--read", QString::fromStdString(truncated)}, "truncated.pcap: cannot read"},
  };
  for (const auto& c : cases) {
    const CliRun run = RunDorvexCli(c.arguments);
    EXPECT_EQ(run.status, cli::kExitFailure) << c.arguments.join(' ').toStdString();
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("dorvex-cli: "))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
    EXPECT_EQ(run.err.count(u'\n'), 1) << "one line";
    EXPECT_TRUE(run.out.isEmpty());
  }
  const CliRun both =
      RunDorvexCli({"--read", QString::fromStdString(ethernet), "--interface", "lo"});
  EXPECT_EQ(both.status, cli::kExitUsage);
  EXPECT_TRUE(both.err.contains(QStringLiteral("exclude each other"))) << both.err.toStdString();
}

class LiveReplayTest : public ReplayTest {
 protected:
  void SetUp() override {
    if (!test::CanCapture()) GTEST_SKIP() << test::kNeedsRoot;
  }
};

// Real loopback traffic, reported live by the capture component and recorded by libpcap at the
// same time: replaying the recording gives the same report.
TEST_F(LiveReplayTest, ReplayOfARecordingGivesTheLiveReport) {
  const std::string path = PathOf("loopback.pcap");
  test::LoopbackRecorder recorder(path);
  ASSERT_TRUE(recorder.Recording()) << recorder.Error();

  QDateTime frameTime;
  cli::ReportSession live(ReportOptions{}, QLocale::system(), [&frameTime] { return frameTime; });
  int payloads = 0;
  TSnoopTCPData snoop;
  snoop.SetFilter(QStringLiteral("tcp port 6900"));
  snoop.SetAdapterName(QStringLiteral("lo"));
  snoop.OnCaptureTCPData = [&](QObject*, PPCAP_PKTHDR header, PETHERNET_HDR, PIP_HDR, PTCP_HDR,
                               const std::uint8_t* data, std::int32_t length) {
    frameTime = LocalTimeOf(header->ts);
    live.Feed(data, length);
    ++payloads;
  };
  snoop.Open();
  ASSERT_TRUE(snoop.Active()) << snoop.LastError().toStdString();
  {
    test::LoopbackConnection connection;
    connection.ClientSends(kHello);
    connection.ServerSends(kReplyA);
    connection.ClientSends(kHello);
    connection.ServerSends(kReplyB);
    ASSERT_TRUE(test::PumpUntil([&] { return payloads == 4; }));
  }
  snoop.Close();
  recorder.Stop();

  const CliRun run = RunDorvexCli({QStringLiteral("--read"), QString::fromStdString(path)});
  ASSERT_EQ(run.status, cli::kExitOk) << run.err.toStdString();
  EXPECT_EQ(run.out, cli::EncodeReport(JoinReportLines(live.Report()), cli::OutputEncoding::kUtf8));
}

// --interface prints the report at every reply and ends after --replies.
TEST_F(LiveReplayTest, InterfaceReportsEveryReply) {
  std::thread traffic([] {
    std::this_thread::sleep_for(500ms);  // dorvex-cli opens the adapter meanwhile
    test::LoopbackConnection connection;
    connection.ClientSends(kHello);
    connection.ServerSends(kReplyA);
    connection.ServerSends(kReplyB);
  });
  const CliRun run = RunDorvexCli({"--interface", "lo", "--replies", "2", "--seconds", "20"});
  traffic.join();
  ASSERT_EQ(run.status, cli::kExitOk) << run.err.toStdString();

  cli::ReportSession expected(ReportOptions{}, QLocale::system());
  QStringList expectedLines;
  for (const Bytes* payload : {&kHello, &kReplyA, &kReplyB}) {
    if (expected.Feed(payload->data(), static_cast<std::int64_t>(payload->size()))) {
      expectedLines += expected.Report();
    }
  }
  QStringList lines = QString::fromUtf8(run.out).split(QStringLiteral("\r\n"));
  ASSERT_EQ(lines.takeLast(), QString());
  ASSERT_EQ(lines.size(), expectedLines.size());
  const qsizetype reportLength = expectedLines.size() / 2;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (i % reportLength == 0) continue;  // the login line: the time at which it ran
    EXPECT_EQ(lines[i], expectedLines[i]) << "line " << i;
  }
}

}  // namespace
}  // namespace dorvex
