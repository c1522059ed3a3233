#include "report.h"

#include <gtest/gtest.h>

#include <QFile>

#include "percent_text.h"
#include "qstring_printer.h"
#include "totals.h"
#include "update_cycle.h"
#include "worked_example.h"
#include "world_list_reader.h"

namespace dorvex {
namespace {

const QLocale kJapanese(QLocale::Japanese, QLocale::Japan);

QStringList Render(const MemoryFieldSet& fields, ReportOptions options,
                   const QDateTime& loginTime = testing::ExampleLoginTime(),
                   const QLocale& locale = kJapanese) {
  return BuildResultString(fields, CalcTotals(fields), loginTime, options, locale);
}

struct VariantCase {
  const char* what;
  ReportOptions options;
  QStringList (*expected)();
};

class WorkedExampleTest : public ::testing::TestWithParam<VariantCase> {};

TEST_P(WorkedExampleTest, RendersLineForLine) {
  MemoryFieldSet fields;
  testing::FillExampleFields(fields);
  const QStringList expected = GetParam().expected();
  const QStringList lines = Render(fields, GetParam().options);
  ASSERT_EQ(lines.size(), expected.size());
  for (qsizetype i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
  }
  // The memo text: CR LF after every line, the last one included, as UTF-8 bytes.
  EXPECT_EQ(JoinReportLines(lines).toUtf8(), (expected.join("\r\n") + "\r\n").toUtf8());
}

INSTANTIATE_TEST_SUITE_P(
    Variants, WorkedExampleTest,
    ::testing::Values(VariantCase{"Expand", {true, false}, testing::ExampleReportExpanded},
                      VariantCase{"Plain", {false, false}, testing::ExampleReportPlain},
                      VariantCase{
                          "ExpandCompatible", {true, true}, testing::ExampleReportCompatible}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ReportTest, ExampleLineCountsPerVariant) {
  EXPECT_EQ(testing::ExampleReportExpanded().size(), 44);
  EXPECT_EQ(testing::ExampleReportPlain().size(), 38);
  EXPECT_EQ(testing::ExampleReportCompatible().size(), 43);
}

TEST(ReportTest, EmptyFieldsGiveNotMeasuredAndZeroTotals) {
  MemoryFieldSet fields;
  const QStringList plain = Render(fields, {false, false});
  ASSERT_EQ(plain.size(), 37);
  int notMeasured = 0;
  for (const QString& line : plain) notMeasured += line.endsWith(QStringLiteral("】 (未計測)"));
  EXPECT_EQ(notMeasured, 24);
  for (int i = 32; i < 37; ++i)
    EXPECT_TRUE(plain[i].endsWith(QStringLiteral("】0"))) << plain[i].toStdString();

  const QStringList expanded = Render(fields, {true, false});
  ASSERT_EQ(expanded.size(), 43);
  EXPECT_EQ(expanded[32], QStringLiteral("【グループ1合計】0 (0.00%)"));
  EXPECT_EQ(expanded[36], QStringLiteral("【　 全鯖合計 　.】0"));
  EXPECT_EQ(expanded[39], QStringLiteral("【二期鯖 合計】0 (0.00%)"));
}

struct PercentCase {
  std::int64_t total;
  std::int64_t grand;
  const char* expected;
};

class PercentTest : public ::testing::TestWithParam<PercentCase> {};

TEST_P(PercentTest, RoundsHalvesAwayFromZero) {
  const PercentCase& c = GetParam();
  EXPECT_EQ(FormatPercent(c.total, c.grand, kJapanese), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PercentTest,
    ::testing::Values(
        PercentCase{1, 800, "0.13"}, PercentCase{1, 3, "33.33"}, PercentCase{2, 3, "66.67"},
        PercentCase{2050, 6200, "33.06"}, PercentCase{0, 0, "0.00"}, PercentCase{5, 0, "500.00"},
        PercentCase{1, 1, "100.00"}, PercentCase{1, 8000, "0.01"}, PercentCase{1, 20001, "0.00"},
        PercentCase{1, 20000, "0.01"}, PercentCase{1, 7, "14.29"}, PercentCase{3, 80, "3.75"},
        PercentCase{1, 1600, "0.06"}, PercentCase{53687091175LL, 53687091175LL, "100.00"}));

TEST(PercentTest, UsesLocaleDecimalSeparator) {
  EXPECT_EQ(FormatPercent(1, 800, QLocale(QLocale::German, QLocale::Germany)),
            QStringLiteral("0,13"));
  EXPECT_EQ(FormatPercent(1000, 1000, QLocale(QLocale::German, QLocale::Germany)),
            QStringLiteral("100,00"));
}

struct QtyCase {
  const char* text;
  const char* shown;
};

class FormatQtyLineTest : public ::testing::TestWithParam<QtyCase> {};

TEST_P(FormatQtyLineTest, ShowsCountOrNotMeasured) {
  EXPECT_EQ(FormatQtyLine(QStringLiteral("【x】"), QString::fromUtf8(GetParam().text)),
            QStringLiteral("【x】 ") + QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatQtyLineTest,
                         ::testing::Values(QtyCase{"007", "7"}, QtyCase{" 12", "12"},
                                           QtyCase{"+5", "5"}, QtyCase{"-5", "-5"},
                                           QtyCase{"0", "0"}, QtyCase{"$10", "16"},
                                           QtyCase{"", "(未計測)"}, QtyCase{"abc", "(未計測)"},
                                           QtyCase{"12 ", "(未計測)"}, QtyCase{"-1", "(未計測)"},
                                           QtyCase{"$FFFFFFFF", "(未計測)"}));

TEST(ReportTest, TempRowNameIsTakenAsTyped) {
  MemoryFieldSet fields;
  fields.SetText(u"edtTempServerName", QStringLiteral(" "));
  fields.SetText(u"edtTempServerQty", QStringLiteral("50"));
  const QStringList lines = Render(fields, {false, false});
  ASSERT_EQ(lines.size(), 38);
  EXPECT_EQ(lines[8], QStringLiteral("【 】 50"));
  EXPECT_EQ(lines[33], QStringLiteral("【グループ1合計】50"));
  EXPECT_EQ(lines[37], QStringLiteral("【　 全鯖合計 　.】50"));

  fields.SetText(u"edtTempServerQty", QString());
  EXPECT_EQ(Render(fields, {false, false})[8], QStringLiteral("【 】 (未計測)"));
}

struct LoginCase {
  QDateTime time;
  QLocale locale;
  const char* expected;
};

class LoginLineTest : public ::testing::TestWithParam<LoginCase> {};

TEST_P(LoginLineTest, FormatsDateTimeAndWeekday) {
  MemoryFieldSet fields;
  EXPECT_EQ(Render(fields, {}, GetParam().time, GetParam().locale).first(),
            QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoginLineTest,
    ::testing::Values(LoginCase{QDateTime(QDate(2007, 9, 1), QTime(21, 5, 9, 999)), kJapanese,
                                "【ログイン日時】2007年09月01日 (土) 21:05:09"},
                      LoginCase{QDateTime(QDate(2024, 1, 7), QTime(0, 0, 0)), kJapanese,
                                "【ログイン日時】2024年01月07日 (日) 00:00:00"},
                      LoginCase{QDateTime(QDate(2007, 9, 1), QTime(8, 5, 9)), QLocale::c(),
                                "【ログイン日時】2007年09月01日 (Sat) 08:05:09"},
                      // Never stamped: no date is invented.
                      LoginCase{QDateTime(), kJapanese, "【ログイン日時】"}));

// The shipped sample reply, read as the window reads a captured one, renders the worked example.
TEST(UpdateCycleTest, SampleReplyRendersWorkedExample) {
  QFile sample(QStringLiteral(DORVEX_SAMPLES_DIR "/world_list_reply.bin"));
  ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
  const QByteArray payload = sample.readAll();

  CountStore store;
  MemoryFieldSet fields;
  LoginTime loginTime([] { return testing::ExampleLoginTime(); });
  loginTime.Stamp();
  QStringList lines;
  WorldListReader reader(store, loginTime, [&] {
    lines = RunUpdateCycle(store, fields, loginTime.Value(), {true, false}, kJapanese);
  });
  ASSERT_TRUE(
      reader.Read(reinterpret_cast<const std::uint8_t*>(payload.constData()), payload.size()));
  EXPECT_EQ(lines, testing::ExampleReportExpanded());
}

}  // namespace
}  // namespace dorvex
