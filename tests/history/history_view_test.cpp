// The report's view kept beside each reply (history version 2): written, upgraded from version 1
// all or nothing, and read back as the summaries of a range.

#include <gtest/gtest.h>
#include <signal.h>

#include <QTemporaryDir>

#include "history/history_range_choice.h"
#include "history/history_store.h"
#include "history/reply_summary.h"
#include "history/reply_view_columns.h"
#include "tests/support/history_support.h"
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

using test::MakeReply;
using test::RawDb;

std::string Nulls(int n) {
  std::string nulls;
  for (int i = 0; i < n; ++i) nulls += "NULL|";
  return nulls;
}

// Replies and their view columns, worked out by hand: totals (grand, groups 1-4, generations 1-5),
// then each world's count in table order (NULL: absent). The PVP world adds to the grand total
// only, an unknown world to group 1; letter case; a count of 0 shows but adds nothing.
const std::pair<std::vector<DecodedRecord>, std::string> kKnown[] = {
    {{{"verdandi", 100}, {"magni", 50}, {"tyr", 30}, {"urdr", 7}, {"newworld", 20}},
     "207|170|30|0|0|0|0|0|30|50|100|50|" + Nulls(3) + "30|" + Nulls(17) + "7|"},
    {{{"LOKI", 12}, {"iris", 0}},
     "12|0|0|12|0|12|0|0|0|0|" + Nulls(16) + "12|" + Nulls(5) + "0|" + Nulls(1)},
    {{}, "0|0|0|0|0|0|0|0|0|0|" + Nulls(24)},
};

void RecordKnown(HistoryStore& store) {
  for (std::size_t i = 0; i < std::size(kKnown); ++i) {
    ASSERT_TRUE(store.Record(MakeReply(static_cast<int>(i), kKnown[i].first)));
  }
}

void ExpectKnownViews(const QString& path) {
  std::vector<std::string> views = RawDb(path).Rows("SELECT * FROM reply ORDER BY id");
  ASSERT_EQ(views.size(), std::size(kKnown));
  for (std::size_t i = 0; i < views.size(); ++i) {
    for (int column = 0; column < 6; ++column) views[i].erase(0, views[i].find('|') + 1);
    EXPECT_EQ(views[i], kKnown[i].second) << i;
  }
}

// A version-1 history as a version-1 Dorvex wrote it.
void MakeVersion1File(const QString& path) {
  RawDb db(path);
  ASSERT_TRUE(db.Exec(HistorySchemaSteps()[0].sql));
  ASSERT_TRUE(db.Exec("PRAGMA user_version=1; PRAGMA application_id=" +
                      std::to_string(kHistoryApplicationId)));
  for (std::size_t i = 0; i < std::size(kKnown); ++i) {
    const HistoryReply reply = MakeReply(static_cast<int>(i), kKnown[i].first);
    const std::string ms = std::to_string(reply.captureTimeUtc.toMSecsSinceEpoch());
    ASSERT_TRUE(db.Exec("INSERT INTO reply VALUES (NULL, " + ms + ", '" +
                        reply.localTime.toString(Qt::ISODate).toStdString() +
                        "', 'eth0', '10.0.0.1', 6900)"));
    int position = 0;
    for (const DecodedRecord& record : reply.records) {
      ASSERT_TRUE(db.Exec("INSERT INTO reply_record VALUES ((SELECT max(id) FROM reply), " +
                          std::to_string(position++) + ", " + ms + ", '" +
                          record.name.toStdString() + "', " + std::to_string(record.count) + ")"));
    }
  }
}

std::vector<std::string> RecordsOf(const QString& path) {
  return RawDb(path).Rows("SELECT * FROM reply_record ORDER BY reply_id, position");
}

class HistoryViewTest : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  QString path_ = dir_.filePath(QStringLiteral("dorvex.sqlite"));
};

// Written with each reply, or computed for a version-1 file's replies by the upgrade: the same.
TEST_F(HistoryViewTest, RecordedAndUpgradedRepliesHoldTheReportsView) {
  {
    HistoryStore store(path_);
    RecordKnown(store);
  }
  ExpectKnownViews(path_);

  const QString old = dir_.filePath(QStringLiteral("version1.sqlite"));
  MakeVersion1File(old);
  const std::vector<std::string> records = RecordsOf(old);
  ASSERT_EQ(records.size(), 7u);
  QString error;
  EXPECT_FALSE(ReadReplySummaries(old, {}, error));
  EXPECT_EQ(error,
            old + QStringLiteral(" is of an older history version: record to it once to upgrade"));
  EXPECT_EQ(HistoryStore(old).StatusText(), QString());
  EXPECT_EQ(RawDb(old).Value("PRAGMA user_version"), "2");
  ExpectKnownViews(old);
  EXPECT_EQ(RecordsOf(old), records);
}

// An upgrade killed part way leaves version 1 with its replies; the next store upgrades it whole.
TEST_F(HistoryViewTest, KilledUpgradeLeavesVersion1) {
  MakeVersion1File(path_);
  const std::vector<std::string> records = RecordsOf(path_);
  const int killed = test::InChild([&] {
    const std::vector<HistorySchemaStep> steps{HistorySchemaSteps()[0],
                                               {2, HistorySchemaSteps()[1].sql, [](sqlite3* db) {
                                                  history_detail::FillReplyViews(db);
                                                  raise(SIGKILL);
                                                  return true;
                                                }}};
    HistoryStore store(path_, {.steps = steps});
    return 0;
  });
  ASSERT_EQ(killed, 128 + SIGKILL);
  {
    RawDb db(path_);
    EXPECT_EQ(db.Value("PRAGMA user_version"), "1");
    EXPECT_EQ(db.Value("SELECT count(*) FROM pragma_table_info('reply')"), "6");
    EXPECT_EQ(db.Value("PRAGMA integrity_check"), "ok");
  }
  EXPECT_EQ(RecordsOf(path_), records);
  { HistoryStore store(path_); }
  ExpectKnownViews(path_);
  EXPECT_EQ(RecordsOf(path_), records);
}

// Summaries of a range come from the view columns, oldest first; newer summaries add what was
// recorded since (the newest one's millisecond included) and drop what left the range.
TEST_F(HistoryViewTest, SummariesReadTheViewOfTheRangeAndWhatWasRecordedSince) {
  HistoryStore store(path_);
  RecordKnown(store);
  const QDateTime second = MakeReply(1).captureTimeUtc;
  const std::pair<HistoryRange, std::vector<std::size_t>> cases[] = {
      {{}, {0, 1, 2}}, {{second, {}}, {1, 2}}, {{{}, second}, {0}}};
  for (const auto& [range, replies] : cases) {
    QString error;
    const auto summaries = ReadReplySummaries(path_, range, error);
    ASSERT_TRUE(summaries) << error.toStdString();
    ASSERT_EQ(summaries->size(), replies.size());
    for (std::size_t k = 0; k < replies.size(); ++k) {
      const std::size_t i = replies[k];
      const ReplySummary& summary = (*summaries)[k];
      const FieldCounts counts = CountsOfReply(kKnown[i].first);
      const HistoryReply reply = MakeReply(static_cast<int>(i));
      EXPECT_EQ(summary.id, static_cast<qint64>(i + 1));
      EXPECT_EQ(summary.captureMs, reply.captureTimeUtc.toMSecsSinceEpoch());
      EXPECT_EQ(summary.localTime.toString(Qt::ISODate), reply.localTime.toString(Qt::ISODate));
      EXPECT_EQ(std::tie(summary.totals.grand, summary.totals.group, summary.totals.generation),
                std::tie(counts.totals.grand, counts.totals.group, counts.totals.generation));
      EXPECT_EQ(summary.worlds, counts.worlds) << i;
    }
  }

  QString error;
  const auto shown = ReadReplySummaries(path_, {}, error).value();
  ASSERT_TRUE(store.Record(MakeReply(2, {{"thor", 1}})));  // the newest one's millisecond
  ASSERT_TRUE(store.Record(MakeReply(0, {{"thor", 2}})));  // older: at the next whole read
  ASSERT_TRUE(store.Record(MakeReply(5, {{"thor", 3}})));
  const auto newer = ReadNewerSummaries(path_, shown, second, error);
  ASSERT_TRUE(newer) << error.toStdString();
  std::vector<qint64> ids;
  for (const ReplySummary& summary : *newer) ids.push_back(summary.id);
  EXPECT_EQ(ids, (std::vector<qint64>{2, 3, 4, 6}));
}

// The window's ranges count back from the moment of reading; two dates are inclusive local dates.
TEST(HistoryRangeTest, RangesCountBackFromNow) {
  const QDateTime now(QDate(2024, 5, 8), QTime(12, 0));
  const QDate from(2024, 4, 21), to(2024, 5, 7);
  const std::pair<RangeChoice, HistoryRange> cases[] = {
      {RangeChoice::kLastDay, {QDateTime(QDate(2024, 5, 7), QTime(12, 0)), {}}},
      {RangeChoice::kLastWeek, {QDateTime(QDate(2024, 5, 1), QTime(12, 0)), {}}},
      {RangeChoice::kLastMonth, {QDateTime(QDate(2024, 4, 8), QTime(12, 0)), {}}},
      {RangeChoice::kAll, {}},
      {RangeChoice::kDates,
       {QDateTime(from, QTime(0, 0)), QDateTime(QDate(2024, 5, 8), QTime(0, 0))}},
  };
  for (const auto& [choice, expected] : cases) {
    const HistoryRange range = RangeOf(choice, now, from, to);
    EXPECT_EQ(range.since, expected.since) << static_cast<int>(choice);
    EXPECT_EQ(range.until, expected.until) << static_cast<int>(choice);
  }
}

}  // namespace
}  // namespace dorvex
