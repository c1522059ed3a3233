// The built dorvex-cli on payload and libpcap capture files, recording and exporting histories.

#include <gtest/gtest.h>
#include <pcap/pcap.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <tuple>

#include "history/history_csv.h"
#include "history/history_read.h"
#include "tally/cp932_converter.h"
#include "tests/support/cli_run.h"
#include "tests/support/file_bytes.h"
#include "tests/support/frame_builder.h"
#include "tests/support/history_support.h"
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

using test::Bytes;

const QString kSample = QStringLiteral(DORVEX_SAMPLES_DIR "/world_list_reply.bin");
const QString kCli = QStringLiteral(DORVEX_CLI_PATH);

test::ProgramRun RunCli(const QStringList& arguments, bool unprivileged = false) {
  return test::RunProgram(kCli, arguments, unprivileged);
}

// The report's lines, decoded from UTF-8 or code page 932; every line must end in CR LF.
QStringList LinesOf(const QByteArray& out, bool cp932 = false) {
  std::optional<QString> text;
  if (cp932) {
    text = Cp932Converter().Decode(out);
  } else {
    QStringDecoder utf8(QStringConverter::Utf8);
    text = utf8.decode(out);
    if (utf8.hasError()) text.reset();
  }
  EXPECT_TRUE(text);
  EXPECT_TRUE(text.value_or(QString()).endsWith(QStringLiteral("\r\n")));
  return text.value_or(QString()).chopped(2).split(QStringLiteral("\r\n"));
}

// The sample reply's report after its login line, Expand on and Compatible off.
const QStringList kExpanded = [] {
  QFile file(QStringLiteral(DORVEX_SOURCE_DIR "/tests/cli/sample_report.txt"));
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed().split(u'\n')
                                        : QStringList{};
}();

TEST(CliTest, SampleGivesTheSampleReportApartFromLoginLine) {
  static const QRegularExpression kLoginLine(
      QStringLiteral("^【ログイン日時】\\d{4}年\\d\\d月\\d\\d日 \\([日月火水木金土]\\) "
                     "\\d\\d:\\d\\d:\\d\\d$"));
  // Expand off: no generation totals, no percentages.
  QStringList plain = kExpanded.mid(0, 37);
  plain.replaceInStrings(QRegularExpression(QStringLiteral(" \\(.*%\\)$")), QString());
  // Compatible: no program tag; the PVP line moves among the totals.
  QStringList compatible = kExpanded;
  compatible[0] = QStringLiteral("【計測方法】ワールドセレクト表示値");
  compatible.remove(30, 2);
  compatible.insert(34, QStringLiteral("【.　　　urdr　　　.】 300"));
  // Options, expected lines after the login line, whether in code page 932.
  const std::tuple<QStringList, QStringList, bool> cases[] = {
      {{}, kExpanded, false},
      {{"--no-expand"}, plain, false},
      {{"--compatible"}, compatible, false},
      {{"--encoding", "cp932"}, kExpanded, true}};
  for (const auto& [options, expected, cp932] : cases) {
    SCOPED_TRACE(options.join(u' ').toStdString());
    const test::ProgramRun run = test::RunProgram(kCli, options + QStringList{kSample});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    const QStringList lines = LinesOf(run.out, cp932);
    EXPECT_TRUE(kLoginLine.match(lines.value(0)).hasMatch()) << lines.value(0).toStdString();
    EXPECT_EQ(lines.mid(1), expected);
  }
}

// One captured frame: its capture time and its IPv4 datagram.
struct Frame {
  const char* tokyoTime;
  Bytes datagram;
};

// A TCP segment from `source`:`sourcePort`; the client is 10.0.0.2:50000, the server port 6900.
Bytes Segment(std::array<std::uint8_t, 4> source, std::uint16_t sourcePort,
              std::uint16_t destinationPort, const Bytes& payload) {
  Bytes datagram = test::BuildDatagram(
      test::DatagramLayout().Payload(payload).Ports(sourcePort, destinationPort));
  std::copy(source.begin(), source.end(), datagram.begin() + 12);
  return datagram;
}
Bytes FromServer(std::uint8_t host, const Bytes& payload) {
  return Segment({10, 1, 2, host}, 6900, 50000, payload);
}
Bytes FromClient() {
  return Segment({10, 0, 0, 2}, 50000, 6900, test::Payload(40));
}

// Three logins around Tokyo's midnight: a client payload (it stamps the login time), then a reply.
void WriteThreeLogins(const QString& path) {
  const Frame frames[] = {
      {"2024-05-01T08:59:59.500", FromClient()},
      {"2024-05-01T09:00:00.250",
       FromServer(3, test::WorldListReply({{"verdandi", 1200}, {"magni", 800}}))},
      {"2024-05-01T23:59:58.000", FromClient()},
      {"2024-05-01T23:59:59.999",
       FromServer(4, test::WorldListReply({{"thor", 950}, {"newone", 30}}))},
      {"2024-05-02T00:00:00.000", FromClient()},
      {"2024-05-02T00:00:00.100",
       FromServer(3, test::WorldListReply({{"urdr", 300}, {"lisa", 900}}))},
  };
  pcap_t* dead = pcap_open_dead(DLT_EN10MB, 65535);
  pcap_dumper_t* dumper = pcap_dump_open(dead, QFile::encodeName(path).constData());
  ASSERT_TRUE(dumper) << pcap_geterr(dead);
  for (const Frame& frame : frames) {
    const Bytes bytes = test::WithEthernet(frame.datagram);
    const qint64 ms =
        QDateTime::fromString(QString::fromLatin1(frame.tokyoTime) + "+09:00", Qt::ISODateWithMs)
            .toMSecsSinceEpoch();
    pcap_pkthdr header{};
    header.ts.tv_sec = static_cast<decltype(header.ts.tv_sec)>(ms / 1000);
    header.ts.tv_usec =
        static_cast<decltype(header.ts.tv_usec)>(ms % 1000 * 1000 + 7);  // below 1 ms
    header.caplen = header.len = static_cast<bpf_u_int32>(bytes.size());
    pcap_dump(reinterpret_cast<u_char*>(dumper), &header, bytes.data());
  }
  pcap_dump_close(dumper);
  pcap_close(dead);
}

const QByteArray kHeader = HistoryCsvHeader().toUtf8();
const QByteArray kRowA =
    "2024-05-01T08:59:59+09:00,1200,800,,,,,,,,,,,,,,,,,,,,,,,,2000,0,0,0,0,0,0,0,800,2000\r\n";
const QByteArray kRowB =
    "2024-05-01T23:59:58+09:00,,,,,,,,,,,,950,,,,,,,,,,,,,30,30,0,950,0,0,0,950,0,0,980\r\n";
const QByteArray kRowC =
    "2024-05-02T00:00:00+09:00,,,,,,,,,,,,,,,,,,,,900,,,,300,,0,0,0,900,0,0,0,900,0,1200\r\n";

class CliRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    WriteThreeLogins(capture_);
  }
  test::ProgramRun Export(const QStringList& range = {}) {
    return RunCli(QStringList{"--export-csv", "-", "--history", history_} + range);
  }

  QTemporaryDir dir_;
  QString capture_ = dir_.filePath(QStringLiteral("logins.pcap"));
  QString history_ = dir_.filePath(QStringLiteral("history.sqlite"));
};

// Each reply of the capture file is kept with its frame's capture time and server; the range
// options reach the export (dates are Tokyo's); recording again appends.
TEST_F(CliRunTest, RecordsEveryReplyWithItsFrameAndExportsTheCsv) {
  const test::ProgramRun plain = RunCli({"--read", capture_});
  const test::ProgramRun recorded = RunCli({"--read", capture_, "--history", history_});
  ASSERT_EQ(recorded.exitCode, 0) << recorded.err.toStdString();
  EXPECT_TRUE(recorded.err.isEmpty()) << recorded.err.toStdString();
  EXPECT_EQ(recorded.out, plain.out);  // recording leaves the report as it is

  QString error;
  const auto replies = ReadHistory(history_, {}, error);
  ASSERT_TRUE(replies) << error.toStdString();
  const std::pair<const char*, const char*> expected[] = {{"2024-05-01T00:00:00.250Z", "10.1.2.3"},
                                                          {"2024-05-01T14:59:59.999Z", "10.1.2.4"},
                                                          {"2024-05-01T15:00:00.100Z", "10.1.2.3"}};
  ASSERT_EQ(replies->size(), std::size(expected));
  for (std::size_t i = 0; i < replies->size(); ++i) {
    const HistoryReply& reply = (*replies)[i];
    EXPECT_EQ(reply.captureTimeUtc.toUTC().toString(Qt::ISODateWithMs),
              QString::fromLatin1(expected[i].first));
    EXPECT_EQ(reply.serverAddress, QString::fromLatin1(expected[i].second));
    EXPECT_EQ(std::tie(reply.serverPort, reply.adapter), std::make_tuple(6900, QString()));
  }
  EXPECT_EQ(replies->at(1).records, (std::vector<DecodedRecord>{{"thor", 950}, {"newone", 30}}));

  const std::pair<QStringList, QByteArray> ranges[] = {
      {{}, kRowA + kRowB + kRowC},
      {{"--until", "2024-05-01"}, kRowA + kRowB},
      {{"--since", "2024-05-02"}, kRowC},
      {{"--until", "2024-05-01T23:59:59.999"}, kRowA},
  };
  for (const auto& [range, rows] : ranges) {
    SCOPED_TRACE(range.join(u' ').toStdString());
    const test::ProgramRun csv = Export(range);
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    EXPECT_EQ(csv.out, kHeader + rows);
  }
  const QString out = dir_.filePath(QStringLiteral("history.csv"));
  ASSERT_EQ(RunCli({"--export-csv", out, "--history", history_}).exitCode, 0);
  EXPECT_EQ(test::ReadFileBytes(out), kHeader + kRowA + kRowB + kRowC);

  ASSERT_EQ(RunCli({"--read", capture_, "--history", history_}).exitCode, 0);
  EXPECT_EQ(Export().out, kHeader + kRowA + kRowA + kRowB + kRowB + kRowC + kRowC);
}

#ifdef _WIN32
// Under Wine, the stand-in for Npcap lists one adapter that replays DORVEX_STAND_IN_CAPTURE as live
// traffic: capturing on it gives a report after each reply, the last as reading the file gives
// it, but for the login lines (a live capture's login time is the computer's).
TEST_F(CliRunTest, InterfaceCapturesThroughNpcap) {
  qputenv("DORVEX_STAND_IN_CAPTURE", QDir::toNativeSeparators(capture_).toLocal8Bit());
  const test::ProgramRun list = RunCli({"--list-interfaces"});
  const QString adapter = QString::fromUtf8(list.out).section(u'\t', 1, 1);
  ASSERT_TRUE(adapter.startsWith(QStringLiteral("\\Device\\NPF_")))
      << list.out.toStdString() << list.err.toStdString();
  const test::ProgramRun live = RunCli({"--interface", adapter, "--replies", "3"});
  ASSERT_EQ(live.exitCode, 0) << live.err.toStdString();
  const QRegularExpression loginLine(QStringLiteral("【ログイン日時】[^\r]*"));
  const QString liveReports = QString::fromUtf8(live.out).remove(loginLine);
  EXPECT_EQ(liveReports.count(QStringLiteral("【計測方法】")), 3);  // one after each reply
  EXPECT_TRUE(
      liveReports.endsWith(QString::fromUtf8(RunCli({"--read", capture_}).out).remove(loginLine)));
}
#endif

// Each failure: one stderr line naming the file or option, status 2 (usage) or 1, the report only
// when the source was read; files not ours or an export would replace are left as they were.
TEST_F(CliRunTest, FailuresGiveOneLineAndAnExitStatus) {
  const QString empty = dir_.filePath("empty.bin");
  ASSERT_TRUE(test::WriteFileBytes(empty, {}));
  const QString foreign = dir_.filePath(QStringLiteral("other.sqlite"));
  ASSERT_TRUE(test::RawDb(foreign).Exec("CREATE TABLE notes (text)"));
  const QString locked = dir_.filePath(QStringLiteral("locked"));
  ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("locked")));
  using Permission = QFileDevice::Permission;
  const QFileDevice::Permissions readable = Permission::ReadOwner | Permission::ReadGroup |
                                            Permission::ReadOther | Permission::ExeOwner |
                                            Permission::ExeGroup | Permission::ExeOther;
  ASSERT_TRUE(QFile::setPermissions(dir_.path(), readable | Permission::WriteOwner));
  ASSERT_TRUE(QFile::setPermissions(capture_, Permission::ReadOwner | Permission::WriteOwner |
                                                  Permission::ReadGroup | Permission::ReadOther));
  ASSERT_TRUE(QFile::setPermissions(locked, readable));
  const QString oldCsv = dir_.filePath(QStringLiteral("old.csv"));
  ASSERT_TRUE(test::WriteFileBytes(oldCsv, "old contents\n"));
  const QString missing = dir_.filePath(QStringLiteral("missing.sqlite"));
  const QString noFolder = dir_.filePath(QStringLiteral("no/such/folder/out.csv"));
  const QString lockedHistory = locked + QStringLiteral("/history.sqlite");
  const QByteArray report = RunCli({"--read", capture_, "--history", history_}).out;
  const struct {
    QStringList arguments;
    int exitCode;
    QString starts;  // what the line says after "dorvex-cli: ", or a part of it
    bool printsReport = false;
    bool unprivileged = false;
  } cases[] = {
      {{"--bogus", kSample}, 2, "--bogus"},
      {{"--encoding=latin1", kSample}, 2, "latin1"},
      {{"--no-expand"}, 2, "PAYLOAD"},
      {{kSample, dir_.filePath("missing.bin")}, 1, "missing.bin"},
      {{empty}, 1, "empty.bin"},
      {{"--read", capture_, "--history", lockedHistory},
       1,
       "3 replies were not saved to " + lockedHistory + ": the file or its folder cannot be",
       true,
       true},
      {{"--read", capture_, "--history", foreign}, 1, "History is off: " + foreign, true},
      {{"--export-csv", "-", "--history", foreign}, 1, foreign},
      {{"--export-csv", oldCsv, "--history", missing}, 1, missing},
      {{"--export-csv", noFolder, "--history", history_}, 1, noFolder},
  };
  for (const auto& c : cases) {
    if (c.unprivileged && !test::kUnixFileModes) continue;
    SCOPED_TRACE(c.arguments.join(u' ').toStdString());
    const QByteArray before = test::ReadFileBytes(foreign);
    const test::ProgramRun run = RunCli(c.arguments, c.unprivileged);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.out, c.printsReport ? report : QByteArray());
    EXPECT_TRUE(run.err.startsWith("dorvex-cli: ") && run.err.count('\n') == 1 &&
                QString::fromUtf8(run.err).contains(c.starts))
        << run.err.toStdString();
    EXPECT_EQ(test::ReadFileBytes(foreign), before);
  }
  EXPECT_EQ(test::ReadFileBytes(oldCsv), QByteArray("old contents\n"));
  EXPECT_FALSE(QFile::exists(missing) || QFile::exists(lockedHistory));
  EXPECT_FALSE(QFile::exists(foreign + QStringLiteral("-wal")));
  EXPECT_EQ(QDir(dir_.path()).entryList({"old.csv*"}, QDir::Files), QStringList{"old.csv"});
}

}  // namespace
}  // namespace dorvex
