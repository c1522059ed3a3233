// The report's view kept beside each reply (history version 2) on real SQLite files: written with
// each reply, computed for the replies of a version-1 file when the store upgrades it (all or
// nothing, even when the process is killed), and read back by ForEachReplySummary.

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <optional>
#include <string>

#include "history/history_read.h"
#include "history/history_store.h"
#include "history/reply_view_columns.h"
#include "tally/world_table.h"
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

using Row = std::map<std::string, std::optional<std::int64_t>>;  // column -> value, NULL: nullopt

struct KnownReply {
  const char* name;
  std::vector<DecodedRecord> records;
  Row view;  // the view's columns that are not 0 (totals) or NULL (counts)
};

// Replies whose report is worked out by hand: groups, generations, the PVP world (grand total
// only), a world the table does not know (group 1 and grand total), letter case, a count of 0
// (shown, but adds nothing) and no records at all.
const std::vector<KnownReply>& KnownReplies() {
  static const std::vector<KnownReply> replies{
      {"mixed",
       {{QStringLiteral("verdandi"), 100},
        {QStringLiteral("magni"), 50},
        {QStringLiteral("tyr"), 30},
        {QStringLiteral("urdr"), 7},
        {QStringLiteral("newworld"), 20}},
       {{"total_grand", 207},
        {"total_group1", 170},
        {"total_group2", 30},
        {"total_generation4", 30},
        {"total_generation5", 50},
        {"count_verdandi", 100},
        {"count_magni", 50},
        {"count_tyr", 30},
        {"count_urdr", 7}}},
      {"case and zero",
       {{QStringLiteral("LOKI"), 12}, {QStringLiteral("iris"), 0}},
       {{"total_grand", 12},
        {"total_group3", 12},
        {"total_generation1", 12},
        {"count_loki", 12},
        {"count_iris", 0}}},
      {"empty", {}, {}},
  };
  return replies;
}

// Every view column of a reply: the totals 0 and the counts NULL, then `known` over them.
Row ExpectedView(const Row& known) {
  Row row{{"total_grand", 0}};
  for (int i = 1; i <= 4; ++i) row["total_group" + std::to_string(i)] = 0;
  for (int i = 1; i <= 5; ++i) row["total_generation" + std::to_string(i)] = 0;
  for (const World& world : WorldTable()) row["count_" + std::string(world.name)] = std::nullopt;
  for (const auto& [column, value] : known) row[column] = value;
  return row;
}

HistoryReply MakeReply(int i, std::vector<DecodedRecord> records) {
  const QDateTime utc = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC).addSecs(i);
  return {utc,
          utc.toOffsetFromUtc(9 * 3600),
          QStringLiteral("eth0"),
          QStringLiteral("10.0.0.1"),
          6900,
          std::move(records)};
}

class Sqlite {
 public:
  explicit Sqlite(const QString& path) { sqlite3_open(QFile::encodeName(path).constData(), &db_); }
  ~Sqlite() { sqlite3_close(db_); }
  Sqlite(const Sqlite&) = delete;
  Sqlite& operator=(const Sqlite&) = delete;

  bool Exec(const char* sql) {
    const bool ok = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    EXPECT_TRUE(ok) << sqlite3_errmsg(db_) << " in " << sql;
    return ok;
  }
  // Every row of `sql`, column name -> value (NULL: nullopt; text columns read as 0).
  std::vector<Row> Rows(const char* sql) {
    std::vector<Row> rows;
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db_);
    while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
      Row row;
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        row[sqlite3_column_name(statement, c)] =
            sqlite3_column_type(statement, c) == SQLITE_NULL
                ? std::nullopt
                : std::optional(sqlite3_column_int64(statement, c));
      }
      rows.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    return rows;
  }
  std::vector<std::string> Texts(const char* sql) {
    std::vector<std::string> texts;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
    while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
      std::string line;
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
        line += (text != nullptr ? text : "NULL") + std::string("|");
      }
      texts.push_back(line);
    }
    sqlite3_finalize(statement);
    return texts;
  }

 private:
  sqlite3* db_ = nullptr;
};

// A version-1 history as a version-1 Dorvex wrote it: the first step's SQL, then the known
// replies with the first step's columns only.
void MakeVersion1File(const QString& path) {
  Sqlite db(path);
  ASSERT_TRUE(db.Exec(HistorySchemaSteps()[0].sql));
  const QByteArray marks =
      "PRAGMA user_version=1; PRAGMA application_id=" + QByteArray::number(kHistoryApplicationId) +
      ';';
  ASSERT_TRUE(db.Exec(marks.constData()));
  int i = 0;
  for (const KnownReply& known : KnownReplies()) {
    const HistoryReply reply = MakeReply(i++, known.records);
    const QByteArray ms = QByteArray::number(reply.captureTimeUtc.toMSecsSinceEpoch());
    const QByteArray insertReply =
        "INSERT INTO reply (capture_utc_ms, local_time, adapter, server_address, server_port) "
        "VALUES (" +
        ms + ", '" + reply.localTime.toString(Qt::ISODate).toUtf8() +
        "', 'eth0', '10.0.0.1', 6900)";
    ASSERT_TRUE(db.Exec(insertReply.constData()));
    int position = 0;
    for (const DecodedRecord& record : reply.records) {
      const QByteArray insertRecord =
          "INSERT INTO reply_record VALUES ((SELECT max(id) FROM reply), " +
          QByteArray::number(position++) + ", " + ms + ", '" + record.name.toUtf8() + "', " +
          QByteArray::number(record.count) + ')';
      ASSERT_TRUE(db.Exec(insertRecord.constData()));
    }
  }
}

void RecordThroughTheStore(const QString& path) {
  HistoryStore store(path);
  int i = 0;
  for (const KnownReply& known : KnownReplies()) {
    ASSERT_TRUE(store.Record(MakeReply(i++, known.records))) << store.StatusText().toStdString();
  }
}

std::vector<std::string> RecordsOf(const QString& path) {
  return Sqlite(path).Texts(
      "SELECT reply_id, position, capture_utc_ms, world, count FROM reply_record "
      "ORDER BY reply_id, position");
}

// The view columns of every reply, oldest first, without the other columns of the reply table.
std::vector<Row> ViewsOf(const QString& path) {
  std::vector<Row> rows = Sqlite(path).Rows("SELECT * FROM reply ORDER BY id");
  for (Row& row : rows) {
    for (const char* other :
         {"id", "capture_utc_ms", "local_time", "adapter", "server_address", "server_port"}) {
      row.erase(other);
    }
  }
  return rows;
}

void ExpectKnownViews(const QString& path, const char* how) {
  const std::vector<Row> views = ViewsOf(path);
  ASSERT_EQ(views.size(), KnownReplies().size()) << how;
  for (std::size_t i = 0; i < views.size(); ++i) {
    EXPECT_EQ(views[i], ExpectedView(KnownReplies()[i].view))
        << how << ": " << KnownReplies()[i].name;
  }
}

class ReplyViewTest : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  QString path_ = dir_.filePath(QStringLiteral("dorvex.sqlite"));
};

TEST_F(ReplyViewTest, ColumnsFollowTheTotalsAndTheWorldTable) {
  { HistoryStore store(path_); }
  std::vector<std::string> expected{"id",         "capture_utc_ms", "local_time",
                                    "adapter",    "server_address", "server_port",
                                    "total_grand"};
  for (int i = 1; i <= 4; ++i) expected.push_back("total_group" + std::to_string(i));
  for (int i = 1; i <= 5; ++i) expected.push_back("total_generation" + std::to_string(i));
  for (const World& world : WorldTable()) expected.push_back("count_" + std::string(world.name));
  std::vector<std::string> columns;
  for (const std::string& line :
       Sqlite(path_).Texts("SELECT name FROM pragma_table_info('reply')")) {
    columns.push_back(line.substr(0, line.size() - 1));
  }
  EXPECT_EQ(columns, expected);
}

// Written with each reply, or computed for a version-1 file's replies by the upgrade: the same.
TEST_F(ReplyViewTest, RecordedAndUpgradedRepliesHoldTheReportsView) {
  RecordThroughTheStore(path_);
  ExpectKnownViews(path_, "recorded");

  const QString old = dir_.filePath(QStringLiteral("version1.sqlite"));
  MakeVersion1File(old);
  const std::vector<std::string> records = RecordsOf(old);
  ASSERT_EQ(records.size(), 7u);
  {
    QString error;
    EXPECT_FALSE(ForEachReplySummary(
        old, {}, [](const HistoryReplySummary&) {}, error));
    EXPECT_EQ(error, old + QStringLiteral(
                               " is of an older history version: record to it once to upgrade"));
  }
  {
    HistoryStore store(old);
    EXPECT_EQ(store.StatusText(), QString());
  }
  EXPECT_EQ(Sqlite(old).Texts("PRAGMA user_version"), std::vector<std::string>{"2|"});
  ExpectKnownViews(old, "upgraded");
  EXPECT_EQ(RecordsOf(old), records);
}

// The upgrade's process is killed after its schema step and part of the views: the file stays
// at version 1 with its replies, and the next store upgrades it whole.
TEST_F(ReplyViewTest, KilledUpgradeLeavesVersion1) {
  MakeVersion1File(path_);
  const std::vector<std::string> records = RecordsOf(path_);
  const pid_t child = fork();
  if (child == 0) {
    const std::vector<HistorySchemaStep> steps{HistorySchemaSteps()[0],
                                               {2, HistorySchemaSteps()[1].sql, [](sqlite3* db) {
                                                  history_detail::FillReplyViews(db);
                                                  raise(SIGKILL);
                                                  return true;
                                                }}};
    HistoryStore store(path_, {.steps = steps});
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  {
    Sqlite db(path_);
    EXPECT_EQ(db.Texts("PRAGMA user_version"), std::vector<std::string>{"1|"});
    EXPECT_EQ(db.Texts("SELECT count(*) FROM pragma_table_info('reply')"),
              std::vector<std::string>{"6|"});
    EXPECT_EQ(db.Texts("PRAGMA integrity_check"), std::vector<std::string>{"ok|"});
  }
  EXPECT_EQ(RecordsOf(path_), records);
  { HistoryStore store(path_); }
  ExpectKnownViews(path_, "upgraded after the kill");
  EXPECT_EQ(RecordsOf(path_), records);
}

// The summaries of a range come from the view columns: the same view as the report's own code
// gives for the records, with the times, oldest first; the range's ends hold.
TEST_F(ReplyViewTest, SummariesReadTheViewOfTheRange) {
  RecordThroughTheStore(path_);
  struct Case {
    HistoryRange range;
    std::vector<std::size_t> replies;
  };
  const Case cases[] = {
      {{}, {0, 1, 2}},
      {{MakeReply(1, {}).captureTimeUtc, {}}, {1, 2}},
      {{{}, MakeReply(1, {}).captureTimeUtc}, {0}},
  };
  for (const Case& c : cases) {
    std::vector<HistoryReplySummary> summaries;
    QString error;
    ASSERT_TRUE(ForEachReplySummary(
        path_, c.range, [&](const HistoryReplySummary& s) { summaries.push_back(s); }, error))
        << error.toStdString();
    ASSERT_EQ(summaries.size(), c.replies.size());
    for (std::size_t k = 0; k < summaries.size(); ++k) {
      const std::size_t i = c.replies[k];
      const HistoryReply reply = MakeReply(static_cast<int>(i), KnownReplies()[i].records);
      const ReplyView view = ViewOfReply(reply.records);
      EXPECT_EQ(summaries[k].captureUtcMs, reply.captureTimeUtc.toMSecsSinceEpoch());
      EXPECT_EQ(summaries[k].localTime.toString(Qt::ISODate),
                reply.localTime.toString(Qt::ISODate));
      EXPECT_EQ(summaries[k].view.totals.grand, view.totals.grand) << i;
      EXPECT_EQ(summaries[k].view.totals.group, view.totals.group) << i;
      EXPECT_EQ(summaries[k].view.totals.generation, view.totals.generation) << i;
      EXPECT_EQ(summaries[k].view.worlds, view.worlds) << i;
    }
  }
}

}  // namespace
}  // namespace dorvex
