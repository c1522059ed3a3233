#pragma once
// What the history tests share: replies to record, a raw SQLite connection of another program
// (to plant files, hold the lock or read what a file holds).

#include <sqlite3.h>

#include <QDateTime>
#include <QFile>
#include <string>
#include <vector>

#include "history/history_reply.h"

namespace dorvex::test {

// A reply captured at `utc` from 10.0.0.1:6900 on eth0, shown in Tokyo time.
inline HistoryReply ReplyAt(const QDateTime& utc, std::vector<DecodedRecord> records = {}) {
  return {utc,
          utc.toOffsetFromUtc(9 * 3600),
          QStringLiteral("eth0"),
          QStringLiteral("10.0.0.1"),
          6900,
          std::move(records)};
}

// Reply `i`, captured `i` seconds after 2024-05-01 12:00 UTC.
inline HistoryReply MakeReply(int i, std::vector<DecodedRecord> records = {}) {
  return ReplyAt(QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC).addSecs(i),
                 std::move(records));
}

// A reply whose verdandi count tells it apart.
inline HistoryReply NumberedReply(int i) {
  return MakeReply(i, {{QStringLiteral("verdandi"), static_cast<std::uint16_t>(i)},
                       {QStringLiteral("新世界"), 7}});
}

// Another program's connection to a file.
class RawDb {
 public:
  explicit RawDb(const QString& path) { sqlite3_open(QFile::encodeName(path).constData(), &db_); }
  ~RawDb() { sqlite3_close(db_); }
  RawDb(const RawDb&) = delete;
  RawDb& operator=(const RawDb&) = delete;

  bool Exec(const std::string& sql) {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  // Every row of `sql` as "a|b|" text (NULL as "NULL").
  std::vector<std::string> Rows(const std::string& sql) {
    std::vector<std::string> rows;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr);
    while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
      std::string row;
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
        row += (text != nullptr ? text : "NULL") + std::string("|");
      }
      rows.push_back(row);
    }
    sqlite3_finalize(statement);
    return rows;
  }
  std::string Value(const std::string& sql) {
    const auto rows = Rows(sql);
    return rows.empty() ? std::string() : rows.front().substr(0, rows.front().size() - 1);
  }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace dorvex::test
