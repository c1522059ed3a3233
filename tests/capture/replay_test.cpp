// dorvex-cli's capture sources: --read over capture files written by libpcap (built frames, and
// real loopback traffic recorded while the capture component reported it live), --interface.

#include <gtest/gtest.h>
#include <pcap/pcap.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDateTime>
#include <QLocale>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <fstream>
#include <memory>
#include <thread>

#include "cli_app.h"
#include "frame_builder.h"
#include "live_test_support.h"
#include "loopback_peer.h"
#include "report_output.h"
#include "report_session.h"

namespace dorvex {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

struct CliRun {
  int status;
  QByteArray out;
  QString err;
};

// RunCli with its output and errors caught in memory.
CliRun RunDorvexCli(const QStringList& arguments) {
  char* texts[2] = {};
  std::size_t sizes[2] = {};
  std::FILE* out = open_memstream(&texts[0], &sizes[0]);
  std::FILE* err = open_memstream(&texts[1], &sizes[1]);
  const int status = cli::RunCli(arguments, out, err);
  std::fclose(out);
  std::fclose(err);
  CliRun run{status, QByteArray(texts[0], qsizetype(sizes[0])),
             QString::fromUtf8(texts[1], qsizetype(sizes[1]))};
  std::free(texts[0]);
  std::free(texts[1]);
  return run;
}

QDateTime LocalTimeOf(const timeval& time) {
  return QDateTime::fromMSecsSinceEpoch(qint64{time.tv_sec} * 1000 + time.tv_usec / 1000);
}

QByteArray Output(const cli::ReportSession& session) {
  return cli::EncodeReport(JoinReportLines(session.Report()), cli::OutputEncoding::kUtf8);
}

const Bytes kReplyA = test::WorldListReply({{"idun", 321}, {"verdandi", 1000}});
const Bytes kReplyB = test::WorldListReply({{"verdandi", 1200}, {"magni", 800}, {"urdr", 7}});
const Bytes kHello = {'h', 'e', 'l', 'l', 'o'};

class ReplayTest : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return dir_.filePath(name).toStdString(); }
  QTemporaryDir dir_;
};

TEST_F(ReplayTest, ReadReportsThePayloadsAtTheirCaptureTimes) {
  const auto frame = [](const Bytes& payload) {
    return test::WithLinuxCookedV2(test::BuildDatagram(test::DatagramLayout().Payload(payload)));
  };
  const timeval t0{1700000000, 250000}, t1{1700003700, 999999}, t2{1700007300, 0};
  const std::string path = PathOf("cooked.pcap");
  ASSERT_TRUE(test::WriteCaptureFile(
      path, DLT_LINUX_SLL2, {{t0, frame({})}, {t1, frame(kReplyA)}, {t2, frame(kReplyB)}}));

  QDateTime now = LocalTimeOf(t0);
  cli::ReportSession expected(ReportOptions{}, QLocale::system(), [&now] { return now; });
  for (const auto& [time, payload] : {std::pair{t1, kReplyA}, std::pair{t2, kReplyB}}) {
    now = LocalTimeOf(time);
    expected.Feed(payload.data(), static_cast<std::int64_t>(payload.size()));
  }
  const CliRun run = RunDorvexCli({QStringLiteral("--read"), QString::fromStdString(path)});
  ASSERT_EQ(run.status, cli::kExitOk) << run.err.toStdString();
  EXPECT_EQ(run.out, Output(expected));
  EXPECT_TRUE(run.err.isEmpty());
}

TEST_F(ReplayTest, ReadFailuresNameTheFileOrFilterAndTheReason) {
  std::ofstream(PathOf("text.pcap")) << "not a capture\n";
  ASSERT_TRUE(test::WriteCaptureFile(PathOf("wireless.pcap"), DLT_IEEE802_11, {}));
  ASSERT_TRUE(test::WriteCaptureFile(PathOf("ethernet.pcap"), DLT_EN10MB, {}));
  const std::string truncated = PathOf("truncated.pcap");
  ASSERT_TRUE(test::WriteCaptureFile(truncated, DLT_EN10MB,
                                     {{{1, 0}, test::WithEthernet(test::BuildDatagram({}))}}));
  ASSERT_EQ(truncate(truncated.c_str(), 24 + 16 + 10), 0);  // file and frame header, 10 bytes

  constexpr int kFailure = cli::kExitFailure;
  const struct {
    const char* file;
    QStringList more;
    int status;
    QString message;
  } cases[] = {
      {"missing.pcap", {}, kFailure, "missing.pcap: cannot open"},
      {"text.pcap", {}, kFailure, "text.pcap: not a capture file (pcap or pcapng)"},
      {"wireless.pcap", {}, kFailure, "link type IEEE802_11 is not supported"},
      {"ethernet.pcap", {"--filter", "tcp port"}, kFailure, "filter 'tcp port' does not compile"},
      {"truncated.pcap", {}, kFailure, "truncated.pcap: cannot read"},
      {"ethernet.pcap", {"--interface", "lo"}, cli::kExitUsage, "exclude each other"},
  };
  for (const auto& c : cases) {
    const QStringList arguments =
        QStringList{"--read", QString::fromStdString(PathOf(c.file))} + c.more;
    const CliRun run = RunDorvexCli(arguments);
    EXPECT_EQ(run.status, c.status) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("dorvex-cli: "))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
    EXPECT_EQ(run.err.count(u'\n'), 1) << "one line";
    EXPECT_TRUE(run.out.isEmpty());
  }
}

class LiveReplayTest : public ReplayTest {
 protected:
  void SetUp() override {
    if (!test::CanCapture()) GTEST_SKIP() << test::kNeedsRoot;
  }
};

// Real loopback traffic: --interface prints the report at every reply and ends after --replies;
// libpcap records the same traffic meanwhile, and --read of the recording gives the last report.
TEST_F(LiveReplayTest, InterfaceReportsEveryReplyAndItsRecordingReplaysAlike) {
  char error[PCAP_ERRBUF_SIZE] = {};
  const std::unique_ptr<pcap_t, decltype(&pcap_close)> recorder(
      pcap_open_live("lo", 65535, 0, 1, error), pcap_close);
  bpf_program program;
  ASSERT_TRUE(recorder && pcap_setnonblock(recorder.get(), 1, error) == 0 &&
              pcap_compile(recorder.get(), &program, "tcp port 6900", 1, PCAP_NETMASK_UNKNOWN) == 0)
      << error;
  ASSERT_EQ(pcap_setfilter(recorder.get(), &program), 0);
  pcap_freecode(&program);
  std::thread traffic([] {
    std::this_thread::sleep_for(500ms);  // dorvex-cli opens the adapter meanwhile
    test::LoopbackConnection connection;
    connection.ClientSends(kHello);
    connection.ServerSends(kReplyA);
    connection.ServerSends(kReplyB);
  });
  const CliRun live = RunDorvexCli({"--interface", "lo", "--replies", "2", "--seconds", "20"});
  traffic.join();
  ASSERT_EQ(live.status, cli::kExitOk) << live.err.toStdString();

  cli::ReportSession expected(ReportOptions{}, QLocale::system());
  QStringList expectedLines;
  for (const Bytes* payload : {&kHello, &kReplyA, &kReplyB}) {
    if (expected.Feed(payload->data(), static_cast<std::int64_t>(payload->size()))) {
      expectedLines += expected.Report();
    }
  }
  const QStringList lines = QString::fromUtf8(live.out).split(QStringLiteral("\r\n"));
  ASSERT_EQ(lines.size(), expectedLines.size() + 1);  // and the empty text after the last line
  const qsizetype reportLength = expectedLines.size() / 2;
  for (qsizetype i = 0; i < expectedLines.size(); ++i) {
    if (i % reportLength == 0) continue;  // the login line: the time at which it ran
    EXPECT_EQ(lines[i], expectedLines[i]) << "line " << i;
  }

  QThread::msleep(200);  // packets still in flight
  const std::string path = PathOf("loopback.pcap");
  pcap_dumper_t* dumper = pcap_dump_open(recorder.get(), path.c_str());
  ASSERT_TRUE(dumper) << pcap_geterr(recorder.get());
  while (pcap_dispatch(recorder.get(), -1, pcap_dump, reinterpret_cast<u_char*>(dumper)) > 0) {
  }
  pcap_dump_close(dumper);
  const CliRun replay = RunDorvexCli({QStringLiteral("--read"), QString::fromStdString(path)});
  ASSERT_EQ(replay.status, cli::kExitOk) << replay.err.toStdString();
  // The login line aside, which live is the time of the run.
  EXPECT_EQ(QString::fromUtf8(replay.out).split(QStringLiteral("\r\n")).mid(1),
            lines.mid(reportLength + 1));
}

// Without capture rights --interface fails with a message that says so: a child process gives up
// root for good (the nobody user) and reports through its exit code.
TEST_F(LiveReplayTest, InterfaceWithoutCaptureRightsSaysSo) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) _exit(10);
    const CliRun run = RunDorvexCli({"--interface", "lo"});
    _exit(run.status == cli::kExitFailure && run.err.contains("capture not permitted") ? 0 : 11);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "10: cannot drop root, 11: another outcome; wait status " << status;
}

}  // namespace
}  // namespace dorvex
