// History CSV rows: world columns in table order, unknown worlds summed, the report's totals.

#include <gtest/gtest.h>

#include <QStringList>
#include <tuple>

#include "history/history_csv.h"
#include "history/offset_time_text.h"
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

TEST(HistoryCsvTest, HeaderNamesEveryColumn) {
  const QStringList header = HistoryCsvHeader().chopped(2).split(u',');
  ASSERT_EQ(header.size(), 1 + 24 + 1 + 10);
  EXPECT_EQ(header.mid(0, 3), (QStringList{"time", "verdandi", "magni"}));
  EXPECT_EQ(header.mid(24), (QStringList{"urdr", "other", "group 1", "group 2", "group 3",
                                         "group 4", "generation 1", "generation 2", "generation 3",
                                         "generation 4", "generation 5", "total"}));
}

TEST(HistoryCsvTest, RowFollowsTheReport) {
  const QDateTime utc(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
  struct Case {
    std::vector<DecodedRecord> records;
    QStringList cells;  // after the time
  };
  const Case cases[] = {
      {{}, QStringList(25, QString()) + QStringList(10, QStringLiteral("0"))},
      // A name in other letter case is the table's world; the totals count only the last
      // unknown world, as the report's free row does; "other" sums both.
      {{{"Magni", 800}, {"newone", 30}, {"temp1", 50}, {"thor", 950}, {"urdr", 300}},
       QStringList{"", "800"} + QStringList(9, QString()) + QStringList{"950"} +
           QStringList(11, QString()) +
           QStringList{"300", "80", "850", "0", "950", "0", "0", "0", "950", "0", "800", "2100"}},
  };
  for (const Case& c : cases) {
    const HistoryReply reply{utc, utc.toOffsetFromUtc(9 * 3600), {}, {}, 6900, c.records};
    EXPECT_EQ(HistoryCsvRow(reply), ("2024-05-01T21:00:00+09:00," + c.cells.join(u',') + "\r\n"));
  }
}

// Times read straight from the file's text read, export and show as Qt reads them.
TEST(HistoryCsvTest, StoredTimesReadAsQtReadsThem) {
  for (const char* text :
       {"2024-05-01T21:00:00+09:00", "2024-02-29T00:00:59-05:30", "2023-02-29T00:00:00+09:00",
        "2024-05-01T24:00:00+09:00", "2024-05-01T21:00:00Z", "2024-05-01T21:00:00+00:00",
        "2024-05-01T21:00:00.123+09:00", "2024-05-01T21:00:00+14:00", "2024-05-01T21:00:00+15:00",
        "0999-05-01T21:00:00+09:00", "2024-05-01 21:00:00+09:00", "2024-05-01T21:00:00+09:60",
        ""}) {
    const QDateTime qt = QDateTime::fromString(QString::fromUtf8(text), Qt::ISODate);
    const QDateTime read = ReadOffsetTime(text);
    EXPECT_EQ(
        std::tuple(read.isValid(), read.timeSpec(), read.offsetFromUtc(), read.date(), read.time()),
        std::tuple(qt.isValid(), qt.timeSpec(), qt.offsetFromUtc(), qt.date(), qt.time()))
        << text;
    EXPECT_EQ(OffsetTimeTextOf(text), OffsetTimeText(qt).toUtf8()) << text;
    const std::optional<qint64> clock = ReadClockMs(text);
    EXPECT_EQ(clock,
              qt.isValid()
                  ? std::optional(QDateTime(qt.date(), qt.time(), Qt::UTC).toMSecsSinceEpoch())
                  : std::nullopt)
        << text;
  }
}

}  // namespace
}  // namespace dorvex
