// dorvex-cli --history and --export-csv end to end: the built program, in Tokyo time, records a
// capture file written by libpcap into a real history file and exports it as CSV.

#include <gtest/gtest.h>
#include <pcap/pcap.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <array>
#include <vector>

#include "history/history_read.h"
#include "tests/support/file_bytes.h"
#include "tests/support/frame_builder.h"
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

using test::Bytes;

const QString kCli = QStringLiteral(DORVEX_CLI_PATH);
constexpr std::uint32_t kNobody = 65534;

struct ProgramRun {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

// Runs dorvex-cli in Tokyo time (UTC+9, no daylight saving time); `unprivileged` runs it as the
// nobody user when the test runs as root, whom permissions do not stop.
ProgramRun RunCli(const QStringList& arguments, bool unprivileged = false) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TZ"), QStringLiteral("Asia/Tokyo"));
  process.setProcessEnvironment(env);
  if (unprivileged && geteuid() == 0) {
    process.setChildProcessModifier([] {
      if (setresgid(kNobody, kNobody, kNobody) != 0 || setresuid(kNobody, kNobody, kNobody) != 0)
        _exit(125);
    });
  }
  process.start(kCli, arguments);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return {};
  return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// One captured frame: its capture time and its IPv4 datagram.
struct Frame {
  QDateTime time;
  Bytes datagram;
};

QDateTime Tokyo(const char* isoDateTime) {
  return QDateTime::fromString(QString::fromLatin1(isoDateTime) + QStringLiteral("+09:00"),
                               Qt::ISODateWithMs);
}

// A TCP segment from `source`:`sourcePort`; the client is 10.0.0.2:50000, the server port 6900.
Bytes Segment(std::array<std::uint8_t, 4> source, std::uint16_t sourcePort,
              std::uint16_t destinationPort, const Bytes& payload) {
  Bytes datagram = test::BuildDatagram(
      test::DatagramLayout().Payload(payload).Ports(sourcePort, destinationPort));
  std::copy(source.begin(), source.end(), datagram.begin() + 12);
  return datagram;
}
Bytes FromServer(std::array<std::uint8_t, 4> address, const Bytes& payload) {
  return Segment(address, 6900, 50000, payload);
}
Bytes FromClient(const Bytes& payload) {
  return Segment({10, 0, 0, 2}, 50000, 6900, payload);
}

void WriteCapture(const QString& path, const std::vector<Frame>& frames) {
  pcap_t* dead = pcap_open_dead(DLT_EN10MB, 65535);
  pcap_dumper_t* dumper = pcap_dump_open(dead, QFile::encodeName(path).constData());
  ASSERT_TRUE(dumper) << pcap_geterr(dead);
  for (const Frame& frame : frames) {
    const Bytes bytes = test::WithEthernet(frame.datagram);
    pcap_pkthdr header{};
    const qint64 ms = frame.time.toMSecsSinceEpoch();
    header.ts.tv_sec = static_cast<time_t>(ms / 1000);
    header.ts.tv_usec = static_cast<suseconds_t>(ms % 1000 * 1000 + 7);  // below a millisecond
    header.caplen = header.len = static_cast<bpf_u_int32>(bytes.size());
    pcap_dump(reinterpret_cast<u_char*>(dumper), &header, bytes.data());
  }
  pcap_dump_close(dumper);
  pcap_close(dead);
}

// Three logins, each a client payload (the login time the report shows is stamped by the payload
// before the reply) and the server's world list reply; times in Tokyo around midnight.
std::vector<Frame> ThreeLogins() {
  const Bytes request = test::Payload(40);
  return {
      {Tokyo("2024-05-01T08:59:59.500"), FromClient(request)},
      {Tokyo("2024-05-01T09:00:00.250"),
       FromServer({10, 1, 2, 3}, test::WorldListReply({{"verdandi", 1200}, {"magni", 800}}))},
      {Tokyo("2024-05-01T23:59:58.000"), FromClient(request)},
      {Tokyo("2024-05-01T23:59:59.999"),
       FromServer({10, 1, 2, 4}, test::WorldListReply({{"thor", 950}, {"newone", 30}}))},
      {Tokyo("2024-05-02T00:00:00.000"), FromClient(request)},
      {Tokyo("2024-05-02T00:00:00.100"),
       FromServer({10, 1, 2, 3}, test::WorldListReply({{"urdr", 300}, {"lisa", 900}}))},
  };
}

const QByteArray kHeader =
    "time,verdandi,magni,surt,forsety,garm,tyr,idun,eir,freya,baldur,chaos,thor,bijou,ses,sara,"
    "fenrir,loki,lydia,tiamet,lisa,odin,heimdal,iris,urdr,other,group 1,group 2,group 3,group 4,"
    "generation 1,generation 2,generation 3,generation 4,generation 5,total\r\n";
const QByteArray kRowA =
    "2024-05-01T08:59:59+09:00,1200,800,,,,,,,,,,,,,,,,,,,,,,,,2000,0,0,0,0,0,0,0,800,2000\r\n";
const QByteArray kRowB =
    "2024-05-01T23:59:58+09:00,,,,,,,,,,,,950,,,,,,,,,,,,,30,30,0,950,0,0,0,950,0,0,980\r\n";
const QByteArray kRowC =
    "2024-05-02T00:00:00+09:00,,,,,,,,,,,,,,,,,,,,900,,,,300,,0,0,0,900,0,0,0,900,0,1200\r\n";

class CliHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    WriteCapture(capture_, ThreeLogins());
  }
  ProgramRun Record() { return RunCli({"--read", capture_, "--history", history_}); }
  ProgramRun Export(const QStringList& range = {}) {
    return RunCli(QStringList{"--export-csv", "-", "--history", history_} + range);
  }

  QTemporaryDir dir_;
  QString capture_ = dir_.filePath(QStringLiteral("logins.pcap"));
  QString history_ = dir_.filePath(QStringLiteral("history.sqlite"));
};

TEST_F(CliHistoryTest, RecordsEveryReplyWithItsFrameAndExportsTheCsv) {
  const ProgramRun plain = RunCli({"--read", capture_});
  const ProgramRun recorded = Record();
  ASSERT_EQ(recorded.exitCode, 0) << recorded.err.toStdString();
  EXPECT_TRUE(recorded.err.isEmpty()) << recorded.err.toStdString();
  EXPECT_EQ(recorded.out, plain.out);  // recording leaves the report as it is

  QString error;
  const auto replies = ReadHistory(history_, {}, error);
  ASSERT_TRUE(replies) << error.toStdString();
  const struct {
    const char* captureUtc;
    const char* server;
  } expected[] = {{"2024-05-01T00:00:00.250Z", "10.1.2.3"},
                  {"2024-05-01T14:59:59.999Z", "10.1.2.4"},
                  {"2024-05-01T15:00:00.100Z", "10.1.2.3"}};
  ASSERT_EQ(replies->size(), std::size(expected));
  for (std::size_t i = 0; i < replies->size(); ++i) {
    const HistoryReply& reply = (*replies)[i];
    EXPECT_EQ(reply.captureTimeUtc.toUTC().toString(Qt::ISODateWithMs),
              QString::fromLatin1(expected[i].captureUtc));
    EXPECT_EQ(reply.serverAddress, QString::fromLatin1(expected[i].server));
    EXPECT_EQ(reply.serverPort, 6900);
    EXPECT_EQ(reply.adapter, QString());
  }
  EXPECT_EQ(replies->at(1).records, (std::vector<DecodedRecord>{{"thor", 950}, {"newone", 30}}));

  const ProgramRun csv = Export();
  ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
  EXPECT_TRUE(csv.err.isEmpty()) << csv.err.toStdString();
  EXPECT_EQ(csv.out, kHeader + kRowA + kRowB + kRowC);

  // To a file: the same bytes.
  const QString out = dir_.filePath(QStringLiteral("history.csv"));
  const ProgramRun toFile = RunCli({"--export-csv", out, "--history", history_});
  ASSERT_EQ(toFile.exitCode, 0) << toFile.err.toStdString();
  EXPECT_TRUE(toFile.out.isEmpty());
  EXPECT_EQ(test::ReadFileBytes(out), csv.out);
}

// --since is inclusive, --until exclusive; a date alone is Tokyo's midnight, and --until of a
// date alone includes that whole day. Capture times decide, not the login times shown.
TEST_F(CliHistoryTest, SinceAndUntilSelectByCaptureTime) {
  ASSERT_EQ(Record().exitCode, 0);
  const struct {
    QStringList range;
    QByteArray rows;
  } cases[] = {
      {{}, kRowA + kRowB + kRowC},
      {{"--since", "2024-05-01"}, kRowA + kRowB + kRowC},
      {{"--until", "2024-05-01"}, kRowA + kRowB},
      {{"--since", "2024-05-01", "--until", "2024-05-01"}, kRowA + kRowB},
      {{"--since", "2024-05-02"}, kRowC},
      {{"--until", "2024-04-30"}, {}},
      {{"--since", "2024-05-01T09:00:00.250"}, kRowA + kRowB + kRowC},
      {{"--since", "2024-05-01T09:00:01"}, kRowB + kRowC},
      {{"--until", "2024-05-01T23:59:59.999"}, kRowA},
      {{"--until", "2024-05-02T00:00"}, kRowA + kRowB},
      {{"--since", "2024-05-01T00:00:00Z", "--until", "2024-05-01T15:00:00Z"}, kRowA + kRowB},
      {{"--since", "2024-05-01T15:00:00+00:00"}, kRowC},
      {{"--since", "2024-05-01T10:00", "--until", "2024-05-01T10:00"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.range.join(u' ').toStdString());
    const ProgramRun csv = Export(c.range);
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    EXPECT_EQ(csv.out, kHeader + c.rows);
  }
}

// Recording the same capture again adds its replies again: the history keeps what it holds.
TEST_F(CliHistoryTest, RecordingAgainAppends) {
  ASSERT_EQ(Record().exitCode, 0);
  ASSERT_EQ(Record().exitCode, 0);
  EXPECT_EQ(Export().out, kHeader + kRowA + kRowA + kRowB + kRowB + kRowC + kRowC);
}

// The report is still printed; one line names the history file and why, and the run fails.
TEST_F(CliHistoryTest, UnwritableHistoryFailsTheRunNamingTheFile) {
  const QString locked = dir_.filePath(QStringLiteral("locked"));
  ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("locked")));
  ASSERT_EQ(chmod(QFile::encodeName(dir_.path()).constData(), 0755), 0);
  ASSERT_EQ(chmod(QFile::encodeName(capture_).constData(), 0644), 0);
  ASSERT_EQ(chmod(QFile::encodeName(locked).constData(), 0555), 0);
  const QString notAFolder = dir_.filePath(QStringLiteral("file"));
  ASSERT_TRUE(QFile(notAFolder).open(QIODevice::WriteOnly));
  const QString report = QString::fromUtf8(RunCli({"--read", capture_}).out);
  const struct {
    QString history;
    bool unprivileged;
  } cases[] = {{locked + QStringLiteral("/history.sqlite"), true},
               {notAFolder + QStringLiteral("/history.sqlite"), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.history.toStdString());
    const ProgramRun run = RunCli({"--read", capture_, "--history", c.history}, c.unprivileged);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(run.out), report);
    const QString err = QString::fromUtf8(run.err);
    EXPECT_TRUE(err.startsWith(QStringLiteral("dorvex-cli: 3 replies were not saved to ") +
                               c.history + QStringLiteral(": the file or its folder cannot be")))
        << err.toStdString();
    EXPECT_EQ(err.count(u'\n'), 1);
    EXPECT_FALSE(QFile::exists(c.history));
  }
}

void MakeForeignDatabase(const QString& path) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, "CREATE TABLE notes (text); INSERT INTO notes VALUES ('mine');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
}

// A file that is not a Dorvex history is left byte-identical, by recording and by export.
TEST_F(CliHistoryTest, ForeignFileIsLeftAsItIsAndTheRunFails) {
  const QString text = dir_.filePath(QStringLiteral("notes.txt"));
  ASSERT_TRUE(test::WriteFileBytes(text, "time,verdandi\r\nnot a database\r\n"));
  const QString database = dir_.filePath(QStringLiteral("other.sqlite"));
  MakeForeignDatabase(database);
  const QString report = QString::fromUtf8(RunCli({"--read", capture_}).out);
  for (const QString& foreign : {text, database}) {
    SCOPED_TRACE(foreign.toStdString());
    const QByteArray before = test::ReadFileBytes(foreign);
    const ProgramRun run = RunCli({"--read", capture_, "--history", foreign});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(run.out), report);
    EXPECT_TRUE(run.err.startsWith("dorvex-cli: History is off: " + foreign.toUtf8()))
        << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1);
    const ProgramRun exported = RunCli({"--export-csv", "-", "--history", foreign});
    EXPECT_EQ(exported.exitCode, 1);
    EXPECT_TRUE(exported.out.isEmpty());
    EXPECT_TRUE(exported.err.contains(foreign.toUtf8())) << exported.err.toStdString();
    EXPECT_EQ(test::ReadFileBytes(foreign), before);
    EXPECT_FALSE(QFile::exists(foreign + QStringLiteral("-wal")));
  }
}

// Export failures: one line naming the file; an existing OUT file is left as it was.
TEST_F(CliHistoryTest, ExportFailuresNameTheFileAndKeepTheOldCsv) {
  ASSERT_EQ(Record().exitCode, 0);
  const QString out = dir_.filePath(QStringLiteral("old.csv"));
  {
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old contents\n");
  }
  const QString missing = dir_.filePath(QStringLiteral("missing.sqlite"));
  const QString noFolder = dir_.filePath(QStringLiteral("no/such/folder/out.csv"));
  const struct {
    QStringList arguments;
    QString mentions;
  } cases[] = {
      {{"--export-csv", out, "--history", missing}, missing},
      {{"--export-csv", "-", "--history", missing}, missing},
      {{"--export-csv", noFolder, "--history", history_}, noFolder},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(u' ').toStdString());
    const ProgramRun run = RunCli(c.arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.startsWith("dorvex-cli: ")) << run.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(c.mentions)) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1);
  }
  EXPECT_EQ(test::ReadFileBytes(out), QByteArray("old contents\n"));
  EXPECT_FALSE(QFile::exists(missing));
  EXPECT_EQ(QDir(dir_.path()).entryList({"old.csv*"}, QDir::Files), QStringList{"old.csv"});
}

}  // namespace
}  // namespace dorvex
