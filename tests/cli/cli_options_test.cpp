// dorvex-cli's options: what the history options parse to, and the usage errors that name them.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QStringList>

#include "tests/support/qstring_printer.h"
#include "tools/dorvex-cli/cli_options.h"

namespace dorvex::cli {
namespace {

QDateTime Local(int year, int month, int day, int hour = 0, int minute = 0) {
  return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime);
}

QDateTime Utc(int year, int month, int day, int hour, int minute = 0) {
  return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

TEST(CliOptionsTest, HistoryOptionsParseToFilesAndTheExportRange) {
  const struct {
    QStringList arguments;
    HistoryOptions expected;
  } cases[] = {
      {{"--interface=lo", "--history=h.sqlite"}, {"h.sqlite", {}, {}, {}}},
      // A date alone is local midnight; --until then ends after that whole day.
      {{"--export-csv=o.csv", "--history", "h", "--since", "2024-05-01", "--until", "2024-05-01"},
       {"h", "o.csv", Local(2024, 5, 1), Local(2024, 5, 2)}},
      {{"--export-csv", "o", "--history", "h", "--until", "2024-12-31"},
       {"h", "o", {}, Local(2025, 1, 1)}},
      // A date and time is local unless it has an offset or Z; --until is then exclusive as is.
      {{"--export-csv", "o", "--history", "h", "--since", "2024-05-01T12:30", "--until",
        "2024-05-03T13:00:00+09:00"},
       {"h", "o", Local(2024, 5, 1, 12, 30), Utc(2024, 5, 3, 4)}},
      // Equal ends are an empty range, not an error.
      {{"--export-csv", "o", "--history", "h", "--since", "2024-05-01T10:00", "--until",
        "2024-05-01T10:00"},
       {"h", "o", Local(2024, 5, 1, 10), Local(2024, 5, 1, 10)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(u' ').toStdString());
    UsageError error;
    const std::optional<CliOptions> options = ParseCliOptions(c.arguments, error);
    ASSERT_TRUE(options) << error.message.toStdString();
    EXPECT_EQ(options->history.file, c.expected.file);
    EXPECT_EQ(options->history.exportCsv, c.expected.exportCsv);
    EXPECT_EQ(options->history.since, c.expected.since);
    EXPECT_EQ(options->history.until, c.expected.until);
    EXPECT_EQ(options->history.Records(), c.expected.exportCsv.isEmpty());
  }
}

TEST(CliOptionsTest, UsageErrorsNameTheOptionAndWhy) {
  const QStringList exportH{"--export-csv", "-", "--history", "h"};
  const struct {
    QStringList arguments;
    QStringList mentions;
  } cases[] = {
      {{"--history", "h", "payload.bin"}, {"'--history'", "PAYLOAD", "no capture time"}},
      {{"--history", "", "--read", "c.pcap"}, {"'--history'", "non-empty"}},
      {{"--read", "c.pcap", "--history"}, {"'--history'", "needs a value"}},
      {{"--export-csv", "-"}, {"'--export-csv'", "--history FILE"}},
      {{"--export-csv", "", "--history", "h"}, {"'--export-csv'", "non-empty"}},
      {exportH + QStringList{"--read", "c.pcap"}, {"'--export-csv'", "--read", "second run"}},
      {exportH + QStringList{"--interface", "lo"}, {"'--export-csv'", "--interface"}},
      {exportH + QStringList{"payload.bin"}, {"'--export-csv'", "PAYLOAD"}},
      {{"--read", "c.pcap", "--history", "h", "--since", "2024-05-01"},
       {"'--since'", "--export-csv OUT"}},
      {exportH + QStringList{"--since", "2024-05-02", "--until", "2024-05-01T23:59"},
       {"'--since' is after '--until'"}},
      {exportH + QStringList{"--since", "2024-13-01"}, {"'--since'", "'2024-13-01'", "ISO 8601"}},
      {exportH + QStringList{"--until", "2024-02-30"}, {"'--until'", "'2024-02-30'"}},
      {exportH + QStringList{"--since", "2024-05-01 12:00"}, {"'--since'", "'2024-05-01 12:00'"}},
      {exportH + QStringList{"--until", "yesterday"}, {"'--until'", "'yesterday'"}},
      {exportH + QStringList{"--since="}, {"'--since'", "''"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(u' ').toStdString());
    UsageError error;
    EXPECT_FALSE(ParseCliOptions(c.arguments, error));
    for (const QString& mention : c.mentions)
      EXPECT_TRUE(error.message.contains(mention))
          << mention.toStdString() << ": " << error.message.toStdString();
  }
}

}  // namespace
}  // namespace dorvex::cli
