// History version 3 on real SQLite files: a version-1 or version-2 file, as those versions left it,
// is upgraded in one transaction with every reply kept, and a killed upgrade leaves the old file
// whole; a records BLOB Dorvex did not write fails the read. (Bytes per reply:
// bench/history_window.)

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>
#include <algorithm>
#include <tuple>

#include "history/history_csv.h"
#include "history/history_store.h"
#include "history/reply_records.h"
#include "history/reply_summary.h"
#include "tally/count_store.h"
#include "tally/field_counts.h"
#include "tally/world_table.h"
#include "tests/support/history_support.h"
#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>

#include "tests/support/child_process.h"
#endif
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

using test::MakeReply;
using test::RawDb;

// The 24 worlds with counts in the hundreds and thousands, then replies that probe what the
// records keep: reply order, a name twice, letter case, names the table does not know, the widest
// count and 0, no records, the same millisecond, an older reply recorded later, other sources.
std::vector<HistoryReply> Replies(int worldReplies) {
  std::vector<HistoryReply> replies;
  for (int i = 0; i < worldReplies; ++i) {
    HistoryReply& reply = replies.emplace_back(MakeReply(60 * i));
    for (const WorldStrings& world : WorldStringTable()) {
      reply.records.push_back({world.name, static_cast<std::uint16_t>(300 + (i * 37) % 1800)});
    }
  }
  replies.push_back(MakeReply(-5, {{"urdr", 65535}, {"新世界", 0}, {"Magni", 3}, {"magni", 4}}));
  replies.push_back(MakeReply(-5, {{"verdandi", 1}, {"urdr", 2}, {"verdandi", 3}}));
  HistoryReply& unknown = replies.emplace_back(MakeReply(-7, {{"thor", 5}}));
  for (int i = 0; i < CountStore::kMaxUnlisted + 6; ++i) {  // the oldest ones are given up
    unknown.records.push_back({QStringLiteral("w%1").arg(i % 70), static_cast<std::uint16_t>(i)});
  }
  replies.push_back(MakeReply(-9));
  replies.back().adapter.clear();
  replies.back().serverAddress = QStringLiteral("192.168.1.20");
  replies.back().serverPort = 6901;
  return replies;
}

// A history of `version` (1 or 2) holding `replies`: version 1 written by its SQL as version 1
// wrote it, version 2 by the store's upgrade of that with the steps up to version 2 (the store
// then fails to prepare version 3's insert, which leaves the upgraded file as it is).
void MakeOldFile(const QString& path, int version, const std::vector<HistoryReply>& replies) {
  {
    RawDb db(path);
    ASSERT_TRUE(db.Exec(HistorySchemaSteps()[0].sql));
    ASSERT_TRUE(db.Exec("PRAGMA user_version=1; PRAGMA application_id=" +
                        std::to_string(kHistoryApplicationId) + "; BEGIN"));
    for (const HistoryReply& reply : replies) {
      const std::string ms = std::to_string(reply.captureTimeUtc.toMSecsSinceEpoch());
      ASSERT_TRUE(db.Exec("INSERT INTO reply VALUES (NULL, " + ms + ", '" +
                          reply.localTime.toString(Qt::ISODate).toStdString() + "', '" +
                          reply.adapter.toStdString() + "', '" + reply.serverAddress.toStdString() +
                          "', " + std::to_string(reply.serverPort) + ")"));
      std::string records;
      for (std::size_t i = 0; i < reply.records.size(); ++i) {
        records += (i == 0 ? "" : ", ") + ("((SELECT max(id) FROM reply), " + std::to_string(i)) +
                   ", " + ms + ", '" + reply.records[i].name.toStdString() + "', " +
                   std::to_string(reply.records[i].count) + ")";
      }
      if (!records.empty()) {
        ASSERT_TRUE(db.Exec("INSERT INTO reply_record VALUES " + records));
      }
    }
    ASSERT_TRUE(db.Exec("COMMIT"));
  }
  if (version == 2) HistoryStore(path, {.steps = HistorySchemaSteps().first(2)});
  ASSERT_EQ(RawDb(path).Value("PRAGMA user_version"), std::to_string(version));
}

// `path` holds `expected` (oldest first, ties in recording order), each with its report's view,
// and exports the CSV rows of `expected`.
void ExpectHolds(const QString& path, std::vector<HistoryReply> expected) {
  std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
    return a.captureTimeUtc < b.captureTimeUtc;
  });
  QString error;
  const auto replies = ReadHistory(path, {}, error);
  const auto summaries = ReadReplySummaries(path, {}, error);
  ASSERT_TRUE(replies && summaries) << error.toStdString();
  ASSERT_EQ(replies->size(), expected.size());
  ASSERT_EQ(summaries->size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const HistoryReply& read = (*replies)[i];
    const HistoryReply& want = expected[i];
    EXPECT_EQ(read.captureTimeUtc, want.captureTimeUtc) << i;
    EXPECT_EQ(read.localTime.toString(Qt::ISODate), want.localTime.toString(Qt::ISODate)) << i;
    EXPECT_EQ(std::tie(read.adapter, read.serverAddress, read.serverPort),
              std::tie(want.adapter, want.serverAddress, want.serverPort))
        << i;
    EXPECT_EQ(read.records, want.records) << i;
    const FieldCounts counts = CountsOfReply(want.records);
    const ReplySummary& summary = (*summaries)[i];
    EXPECT_EQ(
        std::tie(summary.totals.grand, summary.totals.group, summary.totals.generation,
                 summary.worlds),
        std::tie(counts.totals.grand, counts.totals.group, counts.totals.generation, counts.worlds))
        << i;
  }
  QString csv = HistoryCsvHeader();
  for (const HistoryReply& reply : expected) csv += HistoryCsvRow(reply);
  QBuffer exported;
  exported.open(QIODevice::WriteOnly);
  ASSERT_TRUE(WriteHistoryCsv(path, {}, exported, error)) << error.toStdString();
  EXPECT_EQ(exported.data().toStdString(), csv.toStdString());
}

class HistoryV3Test : public ::testing::TestWithParam<int> {
 protected:
  QTemporaryDir dir_;
  QString path_ = dir_.filePath(QStringLiteral("dorvex.sqlite"));
};

TEST_P(HistoryV3Test, UpgradeKeepsEveryReply) {
  std::vector<HistoryReply> replies = Replies(3);
  MakeOldFile(path_, GetParam(), replies);
  QString error;
  EXPECT_FALSE(ReadReplySummaries(path_, {}, error));
  EXPECT_EQ(error, path_ + QStringLiteral(
                               " is of an older history version: record to it once to upgrade"));
  {
    HistoryStore store(path_);
    replies.push_back(MakeReply(500, {{"新世界", 8}, {"another", 9}}));
    EXPECT_TRUE(store.Record(replies.back())) << store.StatusText().toStdString();
  }
  EXPECT_EQ(RawDb(path_).Value("PRAGMA user_version"), "3");
  ExpectHolds(path_, replies);
}

#ifndef _WIN32  // the upgrade is killed in a forked child
// Killed after moving every reply's records, with its small cache spilled to the WAL, before the
// old table goes: the file stays at its version, unchanged, and the next store upgrades it.
TEST_P(HistoryV3Test, KilledUpgradeLeavesTheOldFile) {
  const std::vector<HistoryReply> replies = Replies(600);
  MakeOldFile(path_, GetParam(), replies);
  const auto contents = [&] {
    RawDb db(path_);
    std::vector<std::string> rows = db.Rows("SELECT * FROM sqlite_schema");
    for (const char* table : {"reply", "reply_record"}) {
      const auto more = db.Rows(std::string("SELECT * FROM ") + table);
      rows.insert(rows.end(), more.begin(), more.end());
    }
    return rows;
  };
  const std::vector<std::string> before = contents();
  const int killed = test::InChild([&] {
    std::vector<HistorySchemaStep> steps(HistorySchemaSteps().begin(), HistorySchemaSteps().end());
    steps.at(2).fill = [](sqlite3* db) {
      history_detail::Exec(db, "PRAGMA cache_size=8");
      struct stat wal {};
      if (!history_detail::FillRecordBlobs(db) ||
          stat((sqlite3_db_filename(db, "main") + std::string("-wal")).c_str(), &wal) != 0 ||
          wal.st_size < 65536) {
        return false;
      }
      raise(SIGKILL);
      return true;
    };
    HistoryStore store(path_, {.steps = steps});
    return 0;
  });
  ASSERT_EQ(killed, 128 + SIGKILL);
  EXPECT_EQ(RawDb(path_).Value("PRAGMA user_version"), std::to_string(GetParam()));
  EXPECT_EQ(RawDb(path_).Value("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(contents(), before);
  EXPECT_EQ(HistoryStore(path_).StatusText(), QString());
  ExpectHolds(path_, replies);
}
#endif

INSTANTIATE_TEST_SUITE_P(FromVersion, HistoryV3Test, ::testing::Values(1, 2));

// A BLOB cut short, naming a world the table lacks, with a count beyond 16 bits or a varint
// beyond 64 bits.
TEST(HistoryV3ReadTest, PlantedRecordsFailTheRead) {
  const QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("dorvex.sqlite"));
  ASSERT_TRUE(HistoryStore(path).Record(test::NumberedReply(1)));
  for (const char* blob : {"01", "0901", "01808004", "01ffffffffffffffffffff01"}) {
    ASSERT_TRUE(RawDb(path).Exec(std::string("UPDATE reply SET records = x'") + blob + "'"));
    QString error;
    EXPECT_FALSE(ReadHistory(path, {}, error)) << blob;
    EXPECT_EQ(error, path + QStringLiteral(" is damaged: the records of reply 1 cannot be read"));
    EXPECT_FALSE(ReadReply(path, 1, error)) << blob;
  }
}

}  // namespace
}  // namespace dorvex
