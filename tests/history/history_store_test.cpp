// The history store on real SQLite files in temporary folders.

#include "history/history_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "tests/history/history_store_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

using test::HistoryStoreTest;
using test::kCurrentVersion;
using test::NumberedReply;
using test::RawDb;
using test::ReadAll;
using test::VerdandiCounts;

TEST_F(HistoryStoreTest, RecordsAndReadsBackByTimeAndRow) {
  {
    HistoryStore store(path_);
    for (int i : {3, 1, 2}) EXPECT_TRUE(store.Record(NumberedReply(i)));
    EXPECT_EQ(store.StatusText(), QString());
  }
  const auto replies = ReadAll(path_);
  ASSERT_EQ(replies.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const HistoryReply expected = NumberedReply(i + 1);  // oldest capture time first
    const HistoryReply& read = replies[std::size_t(i)];
    EXPECT_EQ(read.captureTimeUtc, expected.captureTimeUtc);
    EXPECT_EQ(read.localTime.toString(Qt::ISODate), expected.localTime.toString(Qt::ISODate));
    EXPECT_EQ(std::tie(read.adapter, read.serverAddress, read.serverPort),
              std::tie(expected.adapter, expected.serverAddress, expected.serverPort));
    EXPECT_EQ(read.records, expected.records);
  }
  ASSERT_EQ(
      ReadAll(path_, {NumberedReply(2).captureTimeUtc, NumberedReply(3).captureTimeUtc}).size(),
      1u);
  QString error;
  const auto second = ReadReply(path_, 3, error);  // rows in recording order: 3, 1, 2
  ASSERT_TRUE(second) << error.toStdString();
  EXPECT_EQ(second->records, NumberedReply(2).records);
  EXPECT_FALSE(ReadReply(path_, 4, error));
  EXPECT_EQ(error, path_ + QStringLiteral(" no longer holds the chosen reply"));
  RawDb db(path_);
  EXPECT_EQ(db.Value("PRAGMA user_version"), kCurrentVersion);
  EXPECT_EQ(db.Value("PRAGMA journal_mode"), "wal");
}

// A missing file, a zero-byte file and a database without tables or version are all taken.
TEST_F(HistoryStoreTest, CreatesOrInitialisesEmptyFiles) {
  const std::function<void(const QString&)> makers[] = {
      [](const QString&) {},
      [](const QString& path) { ASSERT_TRUE(test::WriteFileBytes(path, {})); },
      [](const QString& path) {
        ASSERT_TRUE(RawDb(path).Exec("CREATE TABLE t (x); DROP TABLE t"));
      },
  };
  int k = 0;
  for (const auto& make : makers) {
    const QString path = dir_.filePath(QStringLiteral("empty%1.sqlite").arg(k++));
    make(path);
    EXPECT_TRUE(HistoryStore(path).Record(NumberedReply(1))) << k;
    EXPECT_EQ(RawDb(path).Value("PRAGMA user_version"), kCurrentVersion) << k;
    EXPECT_EQ(ReadAll(path).size(), 1u) << k;
  }
}

// Never written, named with the reason; reads fail naming the file and why. Planted SQL (a trigger,
// a recursive view) never runs and a planted huge value is never read whole: nothing hangs.
TEST_F(HistoryStoreTest, LeavesForeignDamagedAndNewerFilesByteIdentical) {
  struct Case {
    const char* name;
    const char* reason;
    int replies;      // recorded first
    const char* sql;  // then run by another program; none: text, or damaged pages after replies
    const char* readError = nullptr;  // what a read says, where it is not the reason
  };
  const Case cases[] = {
      {"text", "not an SQLite database", 0, nullptr},
      {"foreign", "another program's database", 0, "CREATE TABLE accounts (name)"},
      {"newer", "newer Dorvex", 1, "PRAGMA user_version=4"},
      {"trigger", "triggers", 1,
       "CREATE TABLE stolen (x); CREATE TRIGGER t AFTER INSERT ON reply BEGIN INSERT INTO stolen "
       "VALUES (new.id); END"},
      {"view", "views", 1,
       "DROP TABLE reply; CREATE VIEW reply AS WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT "
       "x + 1 FROM n) SELECT x AS id, x AS capture_utc_ms, '' AS local_time, '' AS adapter, '' AS "
       "server_address, 0 AS server_port FROM n"},
      {"huge", "longer", 1, "INSERT INTO world VALUES (9, printf('%.*c', 3000000, 'x'))",
       "too big"},
      {"damaged", "damaged", 300, nullptr, "malformed"},
  };
  for (const Case& c : cases) {
    const QString path = dir_.filePath(QString::fromLatin1(c.name));
    if (c.replies > 0) {
      HistoryStore store(path);
      for (int i = 0; i < c.replies; ++i) store.Record(NumberedReply(i));
    }
    if (c.sql != nullptr) {
      ASSERT_TRUE(RawDb(path).Exec(c.sql)) << c.name;
    } else if (c.replies > 0) {
      QFile file(path);  // two pages in the middle of the file
      ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(4096));
      file.write(QByteArray(2 * 4096, 'Z'));
    } else {
      ASSERT_TRUE(test::WriteFileBytes(path, "my notes\n"));
    }
    const QByteArray before = test::ReadFileBytes(path);
    {
      HistoryStore store(path);
      EXPECT_FALSE(store.Record(NumberedReply(5))) << c.name;
      EXPECT_TRUE(store.Refused() && store.StatusText().contains(path) &&
                  store.StatusText().contains(QString::fromUtf8(c.reason)))
          << store.StatusText().toStdString();
    }
    EXPECT_EQ(test::ReadFileBytes(path), before) << c.name;
    QString error;
    EXPECT_FALSE(ReadHistory(path, {}, error)) << c.name;
    EXPECT_TRUE(error.startsWith(path) &&
                error.contains(QString::fromUtf8(c.readError ? c.readError : c.reason)))
        << error.toStdString();
  }
}

// Another program holds the write lock: replies wait, the oldest given up past the cap, then are
// written; the status line says what was given up.
TEST_F(HistoryStoreTest, LockedFileQueuesAndRetries) {
  HistoryStore store(path_, {50, 2});
  {
    RawDb other(path_);
    ASSERT_TRUE(other.Exec("BEGIN EXCLUSIVE"));
    EXPECT_FALSE(store.Record(NumberedReply(1)));
    EXPECT_TRUE(store.StatusText().contains(QStringLiteral("; 1 reply waits in memory")))
        << store.StatusText().toStdString();
    for (int i : {2, 3}) EXPECT_FALSE(store.Record(NumberedReply(i)));
    EXPECT_EQ(std::pair(store.Pending(), store.Dropped()),
              std::pair(std::size_t{2}, std::size_t{1}));
    EXPECT_TRUE(
        store.StatusText().endsWith(QStringLiteral("; 1 older reply was dropped (at most 2 wait)")))
        << store.StatusText().toStdString();
  }
  EXPECT_TRUE(store.Record(NumberedReply(4)));
  EXPECT_EQ(store.StatusText(), QStringLiteral("History is saved to ") + path_ +
                                    QStringLiteral(" again; 1 older reply was dropped while it "
                                                   "could not be written"));
  EXPECT_EQ(VerdandiCounts(path_), (std::set<int>{2, 3, 4}));
}

}  // namespace
}  // namespace dorvex
