// Reading a damaged history: reading skips the full check of every page that the store makes
// before writing, so a read fails where it meets the damage, naming the file and SQLite's reason.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "history/history_read.h"
#include "history/history_store.h"
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

TEST(HistoryReadTest, DamagedFileFailsNamingTheFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("damaged.sqlite"));
  {
    HistoryStore store(path);
    for (int i = 0; i < 300; ++i) {
      const QDateTime utc = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC).addSecs(i);
      ASSERT_TRUE(store.Record({utc,
                                utc.toOffsetFromUtc(9 * 3600),
                                {},
                                QStringLiteral("10.0.0.1"),
                                6900,
                                {{QStringLiteral("verdandi"), static_cast<std::uint16_t>(i)}}}));
    }
  }
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(4096));
  file.write(QByteArray(2 * 4096, '\x5A'));
  file.close();
  QString error;
  int seen = 0;
  EXPECT_FALSE(ForEachHistoryReply(
      path, {}, [&](const HistoryReply&) { ++seen; }, error));
  EXPECT_TRUE(error.startsWith(path)) << error.toStdString();
  EXPECT_TRUE(error.contains(QStringLiteral("malformed"))) << error.toStdString();
}

}  // namespace
}  // namespace dorvex
