// The window's summaries of a real history file: every reply once, in order, with the report's
// totals and world counts; replies sharing a millisecond told apart and read back one by one.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "history/history_store.h"
#include "tests/support/qstring_printer.h"
#include "window/history/reply_summary.h"

namespace dorvex {
namespace {

// Three replies in each millisecond.
constexpr int kReplies = 1101;

QDateTime CaptureTime(int i) {
  return QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC).addMSecs(i / 3);
}

class ReplySummaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    HistoryStore store(path_);
    for (int i = 0; i < kReplies; ++i) {
      const QDateTime utc = CaptureTime(i);
      ASSERT_TRUE(store.Record({utc,
                                utc.toOffsetFromUtc(9 * 3600),
                                {},
                                QStringLiteral("10.0.0.1"),
                                6900,
                                {{QStringLiteral("VERDANDI"), static_cast<std::uint16_t>(i)},
                                 {QStringLiteral("urdr"), 7},
                                 {QStringLiteral("thor"), 1}}}));
    }
  }

  QTemporaryDir folder_;
  QString path_ = folder_.filePath(QStringLiteral("history.sqlite"));
};

TEST_F(ReplySummaryTest, SummarizesEveryReplyInOrder) {
  QString error;
  const auto summaries = ReadReplySummaries(path_, {}, error);
  ASSERT_TRUE(summaries) << error.toStdString();
  ASSERT_EQ(summaries->size(), static_cast<std::size_t>(kReplies));
  for (int i = 0; i < kReplies; ++i) {
    const ReplySummary& summary = (*summaries)[static_cast<std::size_t>(i)];
    ASSERT_EQ(summary.captureMs, CaptureTime(i).toMSecsSinceEpoch()) << i;
    ASSERT_EQ(summary.sameMsIndex, i % 3) << i;
    ASSERT_EQ(summary.worlds[0], i) << i;  // verdandi, whatever its letter case
    ASSERT_EQ(summary.totals.grand, i + 8) << i;
    ASSERT_EQ(summary.totals.group[2], 1) << i;
    ASSERT_EQ(PvpCount(summary), 7) << i;
    ASSERT_EQ(summary.worlds[1], kNoCount) << i;  // magni: not in the reply
  }
}

TEST_F(ReplySummaryTest, ReadsBackTheReplyOfASummary) {
  struct Case {
    int reply;
    int sameMsIndex;
    int verdandi;  // -1: no such reply
  };
  const Case cases[] = {{0, 0, 0}, {3, 1, 4}, {kReplies - 1, 2, kReplies - 1}, {3, 3, -1}};
  for (const Case& c : cases) {
    QString error;
    const auto reply =
        ReadSummarizedReply(path_, CaptureTime(c.reply).toMSecsSinceEpoch(), c.sameMsIndex, error);
    if (c.verdandi < 0) {
      EXPECT_FALSE(reply) << c.reply;
      EXPECT_TRUE(error.startsWith(path_)) << error.toStdString();
      continue;
    }
    ASSERT_TRUE(reply) << error.toStdString();
    EXPECT_EQ(reply->records.at(0).count, c.verdandi) << c.reply;
  }
}

TEST_F(ReplySummaryTest, ReadErrorsNameTheFile) {
  const QString missing = folder_.filePath(QStringLiteral("missing.sqlite"));
  QString error;
  EXPECT_FALSE(ReadReplySummaries(missing, {}, error));
  EXPECT_TRUE(error.startsWith(missing)) << error.toStdString();
  error.clear();
  EXPECT_FALSE(ReadSummarizedReply(missing, 0, 0, error));
  EXPECT_TRUE(error.startsWith(missing)) << error.toStdString();
  EXPECT_FALSE(QFile::exists(missing));
}

}  // namespace
}  // namespace dorvex
