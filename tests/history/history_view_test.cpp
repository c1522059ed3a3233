// The report's view kept beside each reply (history version 2) on real SQLite files: written with
// each reply and read back as the summaries of a range. Its upgrade is tested in history_v3_test.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <limits>

#include "history/history_range_choice.h"
#include "history/history_store.h"
#include "history/reply_summary.h"
#include "history/reply_view_columns.h"
#include "tests/support/history_support.h"
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

using test::MakeReply;
using test::NumberedReply;
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
  const std::vector<std::string> views = RawDb(path).Rows(
      "SELECT " + history_detail::ReplyViewColumns().toStdString() + " FROM reply ORDER BY id");
  ASSERT_EQ(views.size(), std::size(kKnown));
  for (std::size_t i = 0; i < views.size(); ++i) EXPECT_EQ(views[i], kKnown[i].second) << i;
}

class HistoryViewTest : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  QString path_ = dir_.filePath(QStringLiteral("dorvex.sqlite"));
};

TEST_F(HistoryViewTest, RecordedRepliesHoldTheReportsView) {
  {
    HistoryStore store(path_);
    RecordKnown(store);
  }
  ExpectKnownViews(path_);
}

// The summaries of a range come from the view columns: the report's counts of each reply with its
// row and times, oldest first; the range's ends hold. Newer summaries add what was recorded since,
// a reply in the newest one's millisecond included, and drop what left the range.
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
      EXPECT_EQ(std::pair(ClockTime(summary).date(), ClockTime(summary).time()),
                std::pair(reply.localTime.date(), reply.localTime.time()));
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

// A large range is read as two halves side by side, split at the middle reply's capture time:
// the same summaries in the same order as one read, replies tied with the middle one and the
// range's ends included.
TEST_F(HistoryViewTest, HalvesReadSideBySideMakeTheWholeRangeInOrder) {
  HistoryStore store(path_);
  std::vector<HistoryReply> replies;
  for (const int second : {0, 2, 1, 2, 5, 2, 3, 2, 4}) replies.push_back(NumberedReply(second));
  ASSERT_TRUE(store.RecordAll(replies));
  const auto at = [](int second) { return MakeReply(second).captureTimeUtc; };
  const std::pair<HistoryRange, std::vector<qint64>> cases[] = {
      {{}, {1, 3, 2, 4, 6, 8, 7, 9, 5}},
      {{at(2), {}}, {2, 4, 6, 8, 7, 9, 5}},
      {{{}, at(2)}, {1, 3}},
      {{at(1), at(4)}, {3, 2, 4, 6, 8, 7}},
  };
  for (const auto& [range, ids] : cases) {
    for (const qint64 splitLeast : {qint64{1}, qint64{2}, std::numeric_limits<qint64>::max()}) {
      QString error;
      const auto summaries =
          history_detail::ReadReplySummariesSplitFrom(path_, range, splitLeast, error);
      ASSERT_TRUE(summaries) << error.toStdString();
      std::vector<qint64> read;
      for (const ReplySummary& summary : *summaries) {
        read.push_back(summary.id);
        EXPECT_EQ(summary.worlds[0],
                  replies[static_cast<std::size_t>(summary.id - 1)].records.front().count);
      }
      EXPECT_EQ(read, ids) << splitLeast;
    }
  }
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
