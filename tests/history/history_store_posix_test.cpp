// The history store where Unix permissions, links, file size limits and killed processes decide:
// real child processes on real files.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>

#include "tests/history/history_store_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

using test::HistoryStoreTest;
using test::NumberedReply;
using test::RawDb;
using test::VerdandiCounts;

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
