// The history store on real SQLite files in temporary folders, with real child processes.

#include "history/history_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <set>

#include "history/history_read.h"
#include "tests/support/file_bytes.h"
#include "tests/support/history_support.h"
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

using test::NumberedReply;
using test::RawDb;

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

constexpr char kCurrentVersion[] = "3";

class HistoryStoreTest : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  QString path_ = dir_.filePath(QStringLiteral("dorvex.sqlite"));
};

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
      {"huge", "longer", 1,
       "INSERT INTO world VALUES (9, printf('%.*c', 3000000, 'x'))", "too big"},
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

// An import's batch goes in whole or waits whole: the disk fills (a file size limit) part way
// through it, and none of it is written; once there is room again, all of it is.
TEST_F(HistoryStoreTest, BatchOnAFullDiskWaitsWholeThenIsWritten) {
  EXPECT_EQ(test::InChild([&] {
              signal(SIGXFSZ, SIG_IGN);
              HistoryStore store(path_);
              if (!store.Record(NumberedReply(1))) return 10;
              const auto room = static_cast<rlim_t>(QFileInfo(path_ + "-wal").size() + 16384);
              const rlimit limit{room, RLIM_INFINITY};
              if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 11;
              std::vector<HistoryReply> batch;
              for (int i = 2; i <= 300; ++i) batch.push_back(NumberedReply(i));
              if (store.RecordAll(std::move(batch)) || store.Pending() != 299) return 12;
              if (!store.StatusText().contains(path_)) return 13;
              QString error;
              const auto written = ReadHistory(path_, {}, error);
              if (!written || written->size() != 1) return 14;
              const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
              if (setrlimit(RLIMIT_FSIZE, &unlimited) != 0) return 15;
              return store.Flush() && store.StatusText().isEmpty() ? 0 : 16;
            }),
            0);
  EXPECT_EQ(VerdandiCounts(path_).size(), 300u);
}

// A history in a folder others can write, or behind another user's link, is refused and left as
// it is; a new history is its owner's alone.
TEST_F(HistoryStoreTest, PlantedPathsAreRefusedAndNewFilesArePrivate) {
  EXPECT_TRUE(HistoryStore(path_).Record(NumberedReply(1)));
  struct stat made {};
  ASSERT_EQ(stat(QFile::encodeName(path_).constData(), &made), 0);
  EXPECT_EQ(made.st_mode & 0777, 0600u);
  const QString shared = dir_.filePath(QStringLiteral("shared"));
  ASSERT_TRUE(QDir().mkdir(shared) && chmod(QFile::encodeName(shared).constData(), 01777) == 0);
  const QString link = shared + QStringLiteral("/dorvex.sqlite");
  ASSERT_TRUE(QFile::link(path_, link));
  const QString linkInOwnFolder = dir_.filePath(QStringLiteral("link.sqlite"));
  ASSERT_TRUE(QFile::link(path_, linkInOwnFolder));
  std::vector<std::pair<QString, const char*>> cases{{link, "written by other users"}};
  if (geteuid() == 0 && lchown(QFile::encodeName(linkInOwnFolder).constData(), 65534, 65534) == 0) {
    cases.emplace_back(linkInOwnFolder, "a link made by another user");
  }
  const QByteArray before = test::ReadFileBytes(path_);
  for (const auto& [path, reason] : cases) {
    HistoryStore store(path);
    EXPECT_FALSE(store.Record(NumberedReply(2)));
    EXPECT_TRUE(store.Refused() && store.StatusText().contains(QString::fromUtf8(reason)))
        << store.StatusText().toStdString();
  }
  EXPECT_EQ(test::ReadFileBytes(path_), before);
}

TEST_F(HistoryStoreTest, KilledWriterLeavesEveryCommittedReply) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    HistoryStore store(path_);
    for (int i = 0;; ++i) {
      if (store.Record(NumberedReply(i)) && write(fds[1], &i, sizeof i) != sizeof i) _exit(1);
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
  EXPECT_EQ(RawDb(path_).Value("PRAGMA integrity_check"), "ok");
  const std::set<int> stored = VerdandiCounts(path_);
  for (const int reported : committed) EXPECT_TRUE(stored.count(reported)) << reported;
  EXPECT_TRUE(HistoryStore(path_).Record(NumberedReply(60000)));
}

// A read-only file or folder: the reply waits in memory until writing works again (as nobody).
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
    HistoryStore(path_).Record(NumberedReply(1));
    if (geteuid() == 0) {
      ASSERT_EQ(chown(folder.constData(), 65534, 65534), 0);
      ASSERT_EQ(chown(file.constData(), 65534, 65534), 0);
    }
    EXPECT_EQ(test::InChild([&] {
                if (geteuid() == 0 &&
                    (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0))
                  return 10;  // nobody, whom permissions stop
                if (chmod(c.path, c.locked) != 0) return 11;
                HistoryStore store(path_);
                if (store.Record(NumberedReply(2)) || store.Pending() != 1) return 12;
                if (!store.StatusText().contains(path_)) return 13;
                if (chmod(c.path, c.unlocked) != 0) return 14;
                return store.Record(NumberedReply(3)) ? 0 : 15;
              }),
              0)
        << c.path;
    EXPECT_EQ(VerdandiCounts(path_), (std::set<int>{1, 2, 3})) << c.path;
  }
}

}  // namespace
}  // namespace dorvex
