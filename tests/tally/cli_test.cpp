// dorvex-cli end to end: the built program run on payload files.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>

#include "qstring_printer.h"
#include "worked_example.h"
#include "world_list_payload.h"

namespace dorvex {
namespace {

const QString kSample = QStringLiteral(DORVEX_SAMPLES_DIR "/world_list_reply.bin");
const QString kCli = QStringLiteral(DORVEX_CLI_PATH);

struct ProgramRun {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

ProgramRun RunProgram(const QString& program, const QStringList& arguments) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ja_JP.UTF-8"));
  process.setProcessEnvironment(env);
  process.start(program, arguments);
  if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) return {};
  return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// The report's lines, decoded from the given encoding; every line must end in CR LF.
QStringList LinesOf(const QByteArray& out, const char* encoding = "UTF-8") {
  QStringDecoder decoder(encoding);
  const QString text = decoder.decode(out);
  EXPECT_FALSE(decoder.hasError());
  EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
  QStringList lines = text.split(QStringLiteral("\r\n"));
  lines.removeLast();
  return lines;
}

class CliTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;

  QString WriteFile(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
};

struct VariantCase {
  const char* what;
  QStringList options;
  QStringList (*expected)();
  qsizetype lineCount;
  const char* encoding;
};

class CliVariantTest : public ::testing::TestWithParam<VariantCase> {};

TEST_P(CliVariantTest, SampleGivesTheWorkedExampleApartFromLoginLine) {
  const VariantCase& c = GetParam();
  const ProgramRun run = RunProgram(kCli, c.options + QStringList{kSample});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.err.isEmpty());
  const QStringList lines = LinesOf(run.out, c.encoding);
  ASSERT_EQ(lines.size(), c.lineCount);
  static const QRegularExpression kLoginLine(
      QStringLiteral("^【ログイン日時】\\d{4}年\\d\\d月\\d\\d日 \\([日月火水木金土]\\) "
                     "\\d\\d:\\d\\d:\\d\\d$"));
  EXPECT_TRUE(kLoginLine.match(lines[0]).hasMatch()) << lines[0].toStdString();
  EXPECT_EQ(lines.mid(1), c.expected().mid(1));
}

INSTANTIATE_TEST_SUITE_P(
    Variants, CliVariantTest,
    ::testing::Values(
        VariantCase{"Default", {}, testing::ExampleReportExpanded, 44, "UTF-8"},
        VariantCase{"NoExpand", {"--no-expand"}, testing::ExampleReportPlain, 38, "UTF-8"},
        VariantCase{"Compatible", {"--compatible"}, testing::ExampleReportCompatible, 43, "UTF-8"},
        VariantCase{"Cp932", {"--encoding", "cp932"}, testing::ExampleReportExpanded, 44, "CP932"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(CliTest, ReportOfLastReplyOrOfEmptyFields) {
  const QString other = WriteFile("other.bin", QByteArray("\x01\x02\x03", 3));
  const std::array<WorldRecord, 1> later{{{"verdandi", 7}}};
  const QString reply = WriteFile("reply.bin", MakeWorldListReply(later, kWorldListReplyB));

  const ProgramRun none =
      RunProgram(kCli, {QStringLiteral("--"), other, other});  // "--" ends options
  ASSERT_EQ(none.exitCode, 0);
  const QStringList empty = LinesOf(none.out);
  ASSERT_EQ(empty.size(), 43);
  EXPECT_EQ(empty[3], QStringLiteral("【verdandi】 (未計測)"));

  // The sample, then a reply that updates verdandi, then a payload that is no reply.
  const ProgramRun both = RunProgram(kCli, {kSample, reply, other});
  ASSERT_EQ(both.exitCode, 0);
  const QStringList lines = LinesOf(both.out);
  ASSERT_EQ(lines.size(), 44);
  EXPECT_EQ(lines[3], QStringLiteral("【verdandi】 7"));
  EXPECT_EQ(lines[33], QStringLiteral("【グループ1合計】857 (17.12%)"));
  EXPECT_EQ(lines[37], QStringLiteral("【　 全鯖合計 　.】5007"));
}

struct ErrorCase {
  const char* what;
  QStringList arguments;  // "@" stands for the temporary folder
  int exitCode;
  const char* mentions;  // the message names this
};

class CliErrorTest : public CliTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(CliErrorTest, OneLineOnStderrNothingOnStdout) {
  WriteFile("empty.bin", QByteArray());
  QStringList arguments;
  for (const QString& argument : GetParam().arguments) {
    arguments.append(QString(argument).replace(u'@', dir.path()));
  }
  const ProgramRun run = RunProgram(kCli, arguments);
  EXPECT_EQ(run.exitCode, GetParam().exitCode);
  EXPECT_TRUE(run.out.isEmpty());
  EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
  EXPECT_TRUE(run.err.endsWith('\n'));
  EXPECT_TRUE(run.err.contains(GetParam().mentions)) << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliErrorTest,
    ::testing::Values(ErrorCase{"UnknownOption", {"--bogus", kSample}, 2, "--bogus"},
                      ErrorCase{"MissingValue", {kSample, "--encoding"}, 2, "--encoding"},
                      ErrorCase{"UnknownEncoding", {"--encoding=latin1", kSample}, 2, "latin1"},
                      ErrorCase{"ValueOnFlag", {"--compatible=yes", kSample}, 2, "--compatible"},
                      ErrorCase{"NoPayload", {"--no-expand"}, 2, "PAYLOAD"},
                      ErrorCase{"MissingFile", {kSample, "@/missing.bin"}, 1, "missing.bin"},
                      ErrorCase{"Directory", {"@"}, 1, "directory"},
                      ErrorCase{"EmptyFile", {"@/empty.bin"}, 1, "empty.bin"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(CliTest, ShippedSampleIsReproducible) {
  const QString generated = dir.filePath(QStringLiteral("sample.bin"));
  ASSERT_EQ(RunProgram(QStringLiteral(DORVEX_SAMPLE_TOOL_PATH), {generated}).exitCode, 0);
  QFile shipped(kSample);
  QFile fresh(generated);
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  ASSERT_TRUE(fresh.open(QIODevice::ReadOnly));
  EXPECT_EQ(shipped.readAll(), fresh.readAll());
}

}  // namespace
}  // namespace dorvex
