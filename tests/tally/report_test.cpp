#include "tally/report.h"

#include <gtest/gtest.h>

#include "tests/support/qstring_printer.h"

#include <tuple>
#include <utility>
#include <vector>

#include "tally/memory_fields.h"
#include "tally/percent_text.h"
#include "tally/totals.h"

namespace dorvex {
namespace {

using Texts = std::vector<std::pair<const char16_t*, const char*>>;  // control name, text

MemoryFieldSet FieldsWith(const Texts& texts) {
  MemoryFieldSet fields;
  for (const auto& [name, text] : texts) fields.SetText(name, QString::fromUtf8(text));
  return fields;
}

// The last unlisted name (dotted I is no A-Z letter) takes the temporary row.
TEST(ShowCountsTest, FillsListedFieldsAndTheTempRow) {
  CountStore store;
  for (const auto& [name, count] : {std::pair{"MAGNI", "800"}, {"\u0130dun", "2"}, {"beta", "5"}})
    store.Set(name, count);
  MemoryFieldSet fields = FieldsWith({{u"edtSurtQty", "typed"}});
  ShowCounts(store, fields);
  EXPECT_EQ(fields.TextOf(u"edtMagniQty"), QStringLiteral("800"));
  EXPECT_EQ(fields.TextOf(u"edtIdunQty"), QString());
  EXPECT_EQ(fields.TextOf(u"edtSurtQty"), QStringLiteral("typed"));
  EXPECT_EQ(fields.TextOf(u"edtTempServerName"), QStringLiteral("beta"));
  EXPECT_EQ(fields.TextOf(u"edtTempServerQty"), QStringLiteral("5"));

  CountStore tempServer;
  tempServer.Set(QStringLiteral("tempserver"), QStringLiteral("4"));
  ShowCounts(tempServer, fields);
  EXPECT_EQ(fields.TextOf(u"edtTempServerName"), QStringLiteral("beta"));
  EXPECT_EQ(fields.TextOf(u"edtTempServerQty"), QStringLiteral("4"));
  CountStore unnamed;
  unnamed.Set(QString(), QStringLiteral("9"));
  ShowCounts(unnamed, fields);
  EXPECT_EQ(fields.TextOf(u"edtTempServerName"), QString());
  EXPECT_EQ(fields.TextOf(u"edtTempServerQty"), QStringLiteral("9"));
}

// Only positive counts add up: no empty-named temporary row, no zero, negative or unreadable count.
// Hand-typed maxima must not wrap at 32 bits; urdr adds to the grand total only.
TEST(CalcTotalsTest, SumsPositiveCountsIntoTheirTotals) {
  const std::pair<Texts, Totals> cases[] = {
      {{{u"edtTempServerName", ""},
        {u"edtTempServerQty", "7"},
        {u"edtSurtQty", "0"},
        {u"edtGarmQty", "-1"},
        {u"edtEirQty", "12 "}},
       {}},
      {{{u"edtMagniQty", "2147483647"},
        {u"edtSurtQty", "2147483647"},
        {u"edtForsetyQty", "2147483647"},
        {u"edtUrdrQty", "2147483647"},
        {u"edtTempServerName", " "},
        {u"edtTempServerQty", "$7FFFFFFF"}},
       {{4LL * 2147483647, 0, 0, 0}, {0, 0, 0, 0, 3LL * 2147483647}, 5LL * 2147483647}},
  };
  for (const auto& [fields, expected] : cases) {
    const Totals totals = CalcTotals(FieldsWith(fields));
    EXPECT_EQ(totals.group, expected.group);
    EXPECT_EQ(totals.generation, expected.generation);
    EXPECT_EQ(totals.grand, expected.grand);
  }
}

const QLocale kJapanese(QLocale::Japanese, QLocale::Japan);

QStringList Render(const MemoryFieldSet& fields, ReportOptions options,
                   const QDateTime& loginTime = {}) {
  return BuildResultString(ReadFieldCounts(fields), loginTime, options, kJapanese);
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
}

// A count reading as -1 or not at all is "not measured"; the temporary name is shown as typed.
TEST(ReportTest, CountLinesShowCountOrNotMeasured) {
  const QStringList lines = Render(FieldsWith({{u"edtMagniQty", "-1"},
                                               {u"edtSurtQty", "-5"},
                                               {u"edtForsetyQty", "$10"},
                                               {u"edtTempServerName", " "},
                                               {u"edtTempServerQty", "50"}}),
                                   {false, false});
  ASSERT_EQ(lines.size(), 38);
  EXPECT_EQ(lines.mid(4, 5),
            (QStringList{QStringLiteral("【　magni .】 (未計測)"),
                         QStringLiteral("【　surt　..】 -5"), QStringLiteral("【..forsety.】 16"),
                         QStringLiteral("【　garm ..】 (未計測)"), QStringLiteral("【 】 50")}));
}

TEST(ReportTest, PercentRoundsHalvesAwayFromZero) {
  const std::tuple<std::int64_t, std::int64_t, const char*> cases[] = {
      {1, 800, "0.13"},
      {1, 3, "33.33"},
      {2, 3, "66.67"},
      {0, 0, "0.00"},
      {53687091175LL, 53687091175LL, "100.00"}};
  for (const auto& [total, grand, expected] : cases) {
    EXPECT_EQ(FormatPercent(total, grand, kJapanese), QString::fromUtf8(expected)) << total;
  }
}

TEST(ReportTest, LoginLineShowsStampToTheSecondOrNothing) {
  const QDateTime stamp(QDate(2007, 9, 1), QTime(21, 5, 9, 999));
  EXPECT_EQ(Render(MemoryFieldSet(), {}, stamp).first(),
            QStringLiteral("【ログイン日時】2007年09月01日 (土) 21:05:09"));
  EXPECT_EQ(Render(MemoryFieldSet(), {}).first(), QStringLiteral("【ログイン日時】"));
}

}  // namespace
}  // namespace dorvex
