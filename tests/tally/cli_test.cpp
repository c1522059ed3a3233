// dorvex-cli end to end: the built program run on payload files.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <tuple>

#include "tests/support/qstring_printer.h"

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
  return text.chopped(2).split(QStringLiteral("\r\n"));
}

// The sample reply's report after its login line, Expand on and Compatible off.
const QStringList kExpanded = QString::fromUtf16(
                                  uR"(【計測方法】ワールドセレクト表示値 (Dorvex)

【verdandi】 1200
【　magni .】 800
【　surt　..】 (未計測)
【..forsety.】 (未計測)
【　garm ..】 (未計測)
【temp1】 50

【　tyr　　.】 (未計測)
【　idun　 .】 (未計測)
【　eir　　..】 (未計測)
【　freya　】 (未計測)
【 baldur　】 (未計測)
【　chaos..】 2000

【　thor　..】 950
【　bijou　.】 (未計測)
【　ses　　】 (未計測)
【　sara　 】 (未計測)
【 fenrir　 】 (未計測)
【　loki　　.】 (未計測)

【　lydia　 】 (未計測)
【　tiamet.】 (未計測)
【　lisa　　.】 900
【　odin　 .】 (未計測)
【.heimdal.】 (未計測)
【　iris　　 】 (未計測)

【　urdr　　 】 300

【グループ1合計】2050 (33.06%)
【グループ2合計】2000 (32.26%)
【グループ3合計】950 (15.32%)
【グループ4合計】900 (14.52%)
【　 全鯖合計 　.】6200

【一期鯖 合計】2000 (32.26%)
【二期鯖 合計】0 (0.00%)
【三期鯖 合計】950 (15.32%)
【四期鯖 合計】900 (14.52%)
【五期鯖 合計】800 (12.90%))")
                                  .split(u'\n');

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
  // Options, expected lines after the login line, encoding.
  const std::tuple<QStringList, QStringList, const char*> cases[] = {
      {{}, kExpanded, "UTF-8"},
      {{"--no-expand"}, plain, "UTF-8"},
      {{"--compatible"}, compatible, "UTF-8"},
      {{"--encoding", "cp932"}, kExpanded, "CP932"}};
  for (const auto& [options, expected, encoding] : cases) {
    SCOPED_TRACE(options.join(u' ').toStdString());
    const ProgramRun run = RunProgram(kCli, options + QStringList{kSample});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    const QStringList lines = LinesOf(run.out, encoding);
    EXPECT_TRUE(kLoginLine.match(lines.value(0)).hasMatch()) << lines.value(0).toStdString();
    EXPECT_EQ(lines.mid(1), expected);
  }
}

TEST(CliTest, ErrorsGiveOneLineOnStderrAndNothingOnStdout) {
  const QTemporaryDir dir;
  const QString empty = dir.filePath("empty.bin");
  ASSERT_TRUE(QFile(empty).open(QIODevice::WriteOnly));
  // Arguments, exit code, what the message names.
  const std::tuple<QStringList, int, const char*> cases[] = {
      {{"--bogus", kSample}, 2, "--bogus"},
      {{"--encoding=latin1", kSample}, 2, "latin1"},
      {{"--no-expand"}, 2, "PAYLOAD"},
      {{kSample, dir.filePath("missing.bin")}, 1, "missing.bin"},
      {{empty}, 1, "empty.bin"}};
  for (const auto& [arguments, exitCode, mentions] : cases) {
    const ProgramRun run = RunProgram(kCli, arguments);
    EXPECT_EQ(run.exitCode, exitCode) << mentions;
    EXPECT_TRUE(run.out.isEmpty()) << mentions;
    EXPECT_TRUE(run.err.endsWith('\n') && run.err.count('\n') == 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(mentions)) << run.err.toStdString();
  }
}

TEST(CliTest, VersionNamesTheProjectVersion) {
  const ProgramRun run = RunProgram(kCli, {QStringLiteral("--version")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, QByteArrayLiteral("dorvex-cli " DORVEX_VERSION "\n"));
  EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
}

TEST(CliTest, ShippedSampleIsReproducible) {
  const QTemporaryDir dir;
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
