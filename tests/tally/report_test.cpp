#include "report.h"

#include <gtest/gtest.h>

#include "memory_fields.h"
#include "percent_text.h"
#include "qstring_printer.h"
#include "totals.h"

namespace dorvex {
namespace {

const QLocale kJapanese(QLocale::Japanese, QLocale::Japan);

QStringList Render(const MemoryFieldSet& fields, ReportOptions options,
                   const QDateTime& loginTime = {}, const QLocale& locale = kJapanese) {
  return BuildResultString(fields, CalcTotals(fields), loginTime, options, locale);
}

TEST(ReportTest, EmptyFieldsGiveNotMeasuredAndZeroTotals) {
  MemoryFieldSet fields;
  const QStringList plain = Render(fields, {false, false});
  ASSERT_EQ(plain.size(), 37);
  int notMeasured = 0;
  for (const QString& line : plain) notMeasured += line.endsWith(QStringLiteral("】 (未計測)"));
  EXPECT_EQ(notMeasured, 24);
  EXPECT_EQ(plain[36], QStringLiteral("【　 全鯖合計 　.】0"));

  const QStringList expanded = Render(fields, {true, false});
  ASSERT_EQ(expanded.size(), 43);
  EXPECT_EQ(expanded[32], QStringLiteral("【グループ1合計】0 (0.00%)"));
  EXPECT_EQ(expanded[39], QStringLiteral("【二期鯖 合計】0 (0.00%)"));
}

// Count lines show the count as read, or "not measured" when it reads as -1 or not at all; the
// temporary server's name is shown as typed.
TEST(ReportTest, CountLinesShowCountOrNotMeasured) {
  MemoryFieldSet fields;
  fields.SetText(u"edtVerdandiQty", QStringLiteral("007"));
  fields.SetText(u"edtMagniQty", QStringLiteral("-1"));
  fields.SetText(u"edtSurtQty", QStringLiteral("-5"));
  fields.SetText(u"edtForsetyQty", QStringLiteral("$10"));
  fields.SetText(u"edtGarmQty", QStringLiteral("$FFFFFFFF"));
  fields.SetText(u"edtTempServerName", QStringLiteral(" "));
  fields.SetText(u"edtTempServerQty", QStringLiteral("50"));
  const QStringList lines = Render(fields, {false, false});
  ASSERT_EQ(lines.size(), 38);
  EXPECT_EQ(lines.mid(3, 6),
            (QStringList{QStringLiteral("【verdandi】 7"), QStringLiteral("【　magni .】 (未計測)"),
                         QStringLiteral("【　surt　..】 -5"), QStringLiteral("【..forsety.】 16"),
                         QStringLiteral("【　garm ..】 (未計測)"), QStringLiteral("【 】 50")}));
  EXPECT_EQ(lines[37], QStringLiteral("【　 全鯖合計 　.】73"));

  fields.SetText(u"edtTempServerQty", QStringLiteral("12 "));
  EXPECT_EQ(Render(fields, {false, false})[8], QStringLiteral("【 】 (未計測)"));
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

INSTANTIATE_TEST_SUITE_P(Cases, PercentTest,
                         ::testing::Values(PercentCase{1, 800, "0.13"}, PercentCase{1, 3, "33.33"},
                                           PercentCase{2, 3, "66.67"}, PercentCase{0, 0, "0.00"},
                                           PercentCase{5, 0, "500.00"},
                                           PercentCase{1, 20000, "0.01"},
                                           PercentCase{1, 20001, "0.00"},
                                           PercentCase{53687091175LL, 53687091175LL, "100.00"}));

TEST(PercentTest, UsesLocaleDecimalSeparator) {
  EXPECT_EQ(FormatPercent(1, 800, QLocale(QLocale::German, QLocale::Germany)),
            QStringLiteral("0,13"));
}

struct LoginCase {
  QDateTime time;
  QLocale locale;
  const char* expected;
};

class LoginLineTest : public ::testing::TestWithParam<LoginCase> {};

TEST_P(LoginLineTest, FormatsDateTimeAndWeekday) {
  EXPECT_EQ(Render(MemoryFieldSet(), {}, GetParam().time, GetParam().locale).first(),
            QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoginLineTest,
    ::testing::Values(LoginCase{QDateTime(QDate(2007, 9, 1), QTime(21, 5, 9, 999)), kJapanese,
                                "【ログイン日時】2007年09月01日 (土) 21:05:09"},
                      LoginCase{QDateTime(QDate(2007, 9, 1), QTime(8, 5, 9)), QLocale::c(),
                                "【ログイン日時】2007年09月01日 (Sat) 08:05:09"},
                      // Never stamped: no date is invented.
                      LoginCase{QDateTime(), kJapanese, "【ログイン日時】"}));

}  // namespace
}  // namespace dorvex
