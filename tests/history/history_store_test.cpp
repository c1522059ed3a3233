// The history store on real SQLite files in temporary folders, with real child processes.

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <array>
#include <functional>
#include <set>

#include "history/history_read.h"
#include "history/history_store.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

HistoryReply MakeReply(int i) {
  const QDateTime utc = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC).addSecs(i);
  return {
      utc,
      utc.toOffsetFromUtc(9 * 3600),
      QStringLiteral("eth0"),
      QStringLiteral("10.0.0.%1").arg(i % 250),
      6900,
      {{QStringLiteral("verdandi"), static_cast<std::uint16_t>(i)}, {QStringLiteral("新世界"), 7}}};
}

std::vector<HistoryReply> ReadAll(const QString& path, HistoryRange range = {}) {
  QString error;
  const auto replies = ReadHistory(path, range, error);
  EXPECT_TRUE(replies) << error.toStdString();
  return replies.value_or(std::vector<HistoryReply>{});
}

std::set<int> VerdandiCounts(const QString& path) {
  std::set<int> counts;
  for (const HistoryReply& reply : ReadAll(path)) counts.insert(reply.records.at(0).count);
  return counts;
}

std::int64_t Pragma(const QString& path, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  std::int64_t value = -1;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    value =
        sqlite3_column_type(statement, 0) == SQLITE_TEXT
            ? (QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))) == "ok")
            : sqlite3_column_int64(statement, 0);
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return value;
}

void RawExec(const QString& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

// Runs `body` in a child process; its return value is the exit code (0: all went as expected).
int InChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

constexpr int kCurrentVersion = 2;

class HistoryStoreTest : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  QString path_ = dir_.filePath(QStringLiteral("dorvex.sqlite"));
};

TEST_F(HistoryStoreTest, RecordsAndReadsBackByTimeAndWorld) {
  {
    HistoryStore store(path_);
    for (int i : {3, 1, 2}) EXPECT_TRUE(store.Record(MakeReply(i)));
    EXPECT_EQ(store.StatusText(), QString());
  }
  const auto replies = ReadAll(path_);
  ASSERT_EQ(replies.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const HistoryReply expected = MakeReply(i + 1);  // oldest capture time first
    EXPECT_EQ(replies[std::size_t(i)].captureTimeUtc, expected.captureTimeUtc);
    EXPECT_EQ(replies[std::size_t(i)].localTime.toString(Qt::ISODate),
              expected.localTime.toString(Qt::ISODate));
    EXPECT_EQ(replies[std::size_t(i)].serverAddress, expected.serverAddress);
    EXPECT_EQ(replies[std::size_t(i)].serverPort, 6900);
    EXPECT_EQ(replies[std::size_t(i)].adapter, QStringLiteral("eth0"));
    EXPECT_EQ(replies[std::size_t(i)].records, expected.records);
  }
  const HistoryRange range{MakeReply(2).captureTimeUtc, MakeReply(3).captureTimeUtc};
  ASSERT_EQ(ReadAll(path_, range).size(), 1u);
  QString error;
  const auto counts = ReadWorldCounts(path_, QStringLiteral("verdandi"), range, error);
  ASSERT_TRUE(counts && counts->size() == 1u) << error.toStdString();
  EXPECT_EQ(counts->front().count, 2);
  EXPECT_EQ(Pragma(path_, "PRAGMA user_version"), kCurrentVersion);
  EXPECT_EQ(Pragma(path_, "PRAGMA journal_mode"), 0);  // "wal" is text, not "ok"
}

// A missing file, a zero-byte file and a database without tables or version are all taken.
TEST_F(HistoryStoreTest, CreatesOrInitialisesEmptyFiles) {
  const std::array<std::function<void(const QString&)>, 3> makers{
      [](const QString&) {},
      [](const QString& path) { ASSERT_TRUE(test::WriteFileBytes(path, {})); },
      [](const QString& path) { RawExec(path, "CREATE TABLE t (x); DROP TABLE t;"); },
  };
  for (std::size_t k = 0; k < makers.size(); ++k) {
    const QString path = dir_.filePath(QStringLiteral("empty%1.sqlite").arg(k));
    makers[k](path);
    {
      HistoryStore store(path);
      EXPECT_TRUE(store.Record(MakeReply(1))) << k << store.StatusText().toStdString();
    }
    EXPECT_EQ(Pragma(path, "PRAGMA user_version"), kCurrentVersion) << k;
    EXPECT_EQ(ReadAll(path).size(), 1u) << k;
  }
}

TEST_F(HistoryStoreTest, LeavesForeignDamagedAndNewerFilesByteIdentical) {
  struct Case {
    const char* name;
    const char* reason;
    std::function<void(const QString&)> make;
  };
  const Case cases[] = {
      {"text", "not an SQLite database",
       [](const QString& path) {
         ASSERT_TRUE(test::WriteFileBytes(path, "my notes, not a database\n"));
       }},
      {"foreign", "another program's database",
       [](const QString& path) { RawExec(path, "CREATE TABLE accounts (name, balance);"); }},
      {"newer", "newer Dorvex",
       [](const QString& path) {
         { HistoryStore(path).Record(MakeReply(1)); }
         const QByteArray newer = "PRAGMA user_version=" + QByteArray::number(kCurrentVersion + 1);
         RawExec(path, newer.constData());
       }},
      {"damaged", "damaged",
       [](const QString& path) {
         {
           HistoryStore store(path);
           for (int i = 0; i < 300; ++i) store.Record(MakeReply(i));
         }
         QFile file(path);
         ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(4096));
         file.write(QByteArray(2 * 4096, '\x5A'));
       }},
  };
  for (const Case& c : cases) {
    const QString path = dir_.filePath(QString::fromLatin1(c.name));
    c.make(path);
    const QByteArray before = test::ReadFileBytes(path);
    {
      HistoryStore store(path);
      EXPECT_FALSE(store.Record(MakeReply(5))) << c.name;
      EXPECT_TRUE(store.Refused()) << c.name;
      EXPECT_EQ(store.Pending(), 1u) << c.name;
      EXPECT_TRUE(store.StatusText().contains(path)) << store.StatusText().toStdString();
      EXPECT_TRUE(store.StatusText().contains(QString::fromUtf8(c.reason)))
          << store.StatusText().toStdString();
    }
    EXPECT_EQ(test::ReadFileBytes(path), before) << c.name;
  }
}

// Another program holds the write lock past the busy timeout: the reply waits, then is written.
TEST_F(HistoryStoreTest, LockedFileQueuesAndRetries) {
  HistoryStore store(path_, {50});
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path_).constData(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_FALSE(store.Record(MakeReply(1)));
  EXPECT_EQ(store.Pending(), 1u);
  EXPECT_TRUE(store.StatusText().contains(QStringLiteral("in use")))
      << store.StatusText().toStdString();
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_TRUE(store.Record(MakeReply(2)));
  EXPECT_EQ(store.StatusText(), QString());
  EXPECT_EQ(VerdandiCounts(path_), (std::set<int>{1, 2}));
}

// A batch goes in whole or waits whole: while another program holds the lock, none of it is
// written; afterwards the queued replies and the new batch are all written.
TEST_F(HistoryStoreTest, RecordAllWritesTheQueueAsOneBatch) {
  HistoryStore store(path_, {50});
  EXPECT_TRUE(store.RecordAll({MakeReply(1), MakeReply(2)}));
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path_).constData(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_FALSE(store.RecordAll({MakeReply(3), MakeReply(4)}));
  EXPECT_EQ(store.Pending(), 2u);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  EXPECT_EQ(VerdandiCounts(path_), (std::set<int>{1, 2}));
  sqlite3_close(other);
  EXPECT_TRUE(store.RecordAll({MakeReply(5)}));
  EXPECT_EQ(store.Pending(), 0u);
  EXPECT_EQ(store.StatusText(), QString());
  EXPECT_EQ(VerdandiCounts(path_), (std::set<int>{1, 2, 3, 4, 5}));
}

TEST_F(HistoryStoreTest, TwoProcessesWriteTheSameFile) {
  { HistoryStore store(path_); }
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    if (children[c] == 0) {
      HistoryStore store(path_, {10000});
      for (int i = 0; i < 100; ++i) {
        if (!store.Record(MakeReply(c * 1000 + i))) _exit(1);
      }
      _exit(0);
    }
  }
  for (const pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(ReadAll(path_).size(), 200u);
  EXPECT_EQ(Pragma(path_, "PRAGMA integrity_check"), 1);
}

TEST_F(HistoryStoreTest, KilledWriterLeavesEveryCommittedReply) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    HistoryStore store(path_);
    for (int i = 0;; ++i) {
      if (store.Record(MakeReply(i)) && write(fds[1], &i, sizeof i) != sizeof i) _exit(1);
    }
  }
  close(fds[1]);
  std::set<int> committed;
  int i = 0;
  while (committed.size() < 200 && read(fds[0], &i, sizeof i) == sizeof i) committed.insert(i);
  kill(child, SIGKILL);
  while (read(fds[0], &i, sizeof i) == sizeof i) committed.insert(i);
  close(fds[0]);
  waitpid(child, nullptr, 0);
  ASSERT_GE(committed.size(), 200u);
  EXPECT_EQ(Pragma(path_, "PRAGMA integrity_check"), 1);
  const std::set<int> stored = VerdandiCounts(path_);
  for (const int reported : committed) EXPECT_TRUE(stored.count(reported)) << reported;
  HistoryStore reopened(path_);
  EXPECT_TRUE(reopened.Record(MakeReply(60000)));
}

// A read-only file or folder: the reply waits in memory until writing is possible again. Run as
// an unprivileged user in a child, since root writes regardless of permissions.
TEST_F(HistoryStoreTest, ReadOnlyFileOrFolderQueuesAndRetries) {
  const QByteArray folder = QFile::encodeName(dir_.path());
  const QByteArray file = QFile::encodeName(path_);
  struct Case {
    const char* path;
    mode_t locked, unlocked;
  };
  const Case cases[] = {{file.constData(), 0444, 0644}, {folder.constData(), 0555, 0755}};
  for (const Case& c : cases) {
    QFile::remove(path_);
    { HistoryStore(path_).Record(MakeReply(1)); }
    if (geteuid() == 0) {
      ASSERT_EQ(chown(folder.constData(), 65534, 65534), 0);
      ASSERT_EQ(chown(file.constData(), 65534, 65534), 0);
    }
    EXPECT_EQ(InChild([&] {
                if (geteuid() == 0 &&
                    (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0))
                  return 10;
                if (chmod(c.path, c.locked) != 0) return 11;
                HistoryStore store(path_);
                if (store.Record(MakeReply(2)) || store.Pending() != 1) return 12;
                if (!store.StatusText().contains(path_)) return 13;
                if (chmod(c.path, c.unlocked) != 0) return 14;
                return store.Record(MakeReply(3)) ? 0 : 15;
              }),
              0)
        << c.path;
    EXPECT_EQ(VerdandiCounts(path_), (std::set<int>{1, 2, 3})) << c.path;
  }
}

// A full disk, made by a file size limit: the replies wait in memory, then all are written.
TEST_F(HistoryStoreTest, FullDiskQueuesAndRetries) {
  EXPECT_EQ(InChild([&] {
              signal(SIGXFSZ, SIG_IGN);
              HistoryStore store(path_);
              if (!store.Record(MakeReply(1))) return 10;
              const rlimit limit{1, RLIM_INFINITY};
              if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 11;
              for (int i = 2; i <= 4; ++i) {
                if (store.Record(MakeReply(i))) return 12;
              }
              if (store.Pending() != 3 || !store.StatusText().contains(path_)) return 13;
              const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
              if (setrlimit(RLIMIT_FSIZE, &unlimited) != 0) return 14;
              return store.Flush() && store.StatusText().isEmpty() ? 0 : 15;
            }),
            0);
  EXPECT_EQ(VerdandiCounts(path_), (std::set<int>{1, 2, 3, 4}));
}

}  // namespace
}  // namespace dorvex
