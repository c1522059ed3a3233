#include "history/history_read.h"

#include <limits>

#include "history/history_schema.h"
#include "history/reply_view_columns.h"
#include "history/sqlite_db.h"

namespace dorvex {

using namespace history_detail;

namespace {

qint64 Since(const HistoryRange& range) {
  return range.since.isNull() ? std::numeric_limits<qint64>::min()
                              : range.since.toMSecsSinceEpoch();
}

qint64 Until(const HistoryRange& range) {
  return range.until.isNull() ? std::numeric_limits<qint64>::max()
                              : range.until.toMSecsSinceEpoch();
}

QDateTime UtcTime(sqlite3_stmt* statement, int column) {
  return QDateTime::fromMSecsSinceEpoch(sqlite3_column_int64(statement, column), Qt::UTC);
}

// A read-only connection to a Dorvex history this build can read; null with `error` otherwise.
Db OpenForReading(const QString& path, QString& error) {
  const int current = HistorySchemaSteps().back().toVersion;
  const HistoryFileCheck check = CheckHistoryFile(path, current, false);
  if (check.kind != HistoryFileKind::kOurs) {
    error = path + u' ' +
            (check.kind == HistoryFileKind::kMissing ? QStringLiteral("does not exist")
             : check.kind == HistoryFileKind::kEmpty ? QStringLiteral("holds no history")
                                                     : check.reason);
    return nullptr;
  }
  if (check.version != current) {
    error = path + QStringLiteral(" is of an older history version: record to it once to upgrade");
    return nullptr;
  }
  int code = SQLITE_OK;
  QString message;
  Db db = OpenDb(path, SQLITE_OPEN_READONLY, code, message);
  if (!db) {
    error = path + QStringLiteral(": ") + message;
    return nullptr;
  }
  sqlite3_busy_timeout(db.get(), 2000);
  return db;
}

// `sql` prepared with the range's ends bound to ?1 (since) and ?2 (until); null with `error`.
Stmt PrepareRangeQuery(sqlite3* db, const char* sql, const HistoryRange& range, const QString& path,
                       QString& error) {
  Stmt query = Prepare(db, sql);
  if (!query) {
    error = path + QStringLiteral(": ") + ErrorText(db);
    return nullptr;
  }
  sqlite3_bind_int64(query.get(), 1, Since(range));
  sqlite3_bind_int64(query.get(), 2, Until(range));
  return query;
}

}  // namespace

bool ForEachHistoryReply(const QString& path, const HistoryRange& range,
                         const std::function<void(const HistoryReply&)>& visit, QString& error) {
  const Db db = OpenForReading(path, error);
  if (!db) return false;
  const Stmt query = PrepareRangeQuery(db.get(),
                                       "SELECT r.id, r.capture_utc_ms, r.local_time, r.adapter, "
                                       "r.server_address, r.server_port, c.world, c.count "
                                       "FROM reply r LEFT JOIN reply_record c ON c.reply_id = r.id "
                                       "WHERE r.capture_utc_ms >= ?1 AND r.capture_utc_ms < ?2 "
                                       "ORDER BY r.capture_utc_ms, r.id, c.position",
                                       range, path, error);
  if (!query) return false;
  HistoryReply reply;
  sqlite3_int64 replyId = -1;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(query.get())) == SQLITE_ROW) {
    sqlite3_stmt* row = query.get();
    const sqlite3_int64 id = sqlite3_column_int64(row, 0);
    if (id != replyId) {
      if (replyId >= 0) visit(reply);
      replyId = id;
      reply.captureTimeUtc = UtcTime(row, 1);
      reply.localTime = QDateTime::fromString(ColumnText(row, 2), Qt::ISODate);
      reply.adapter = ColumnText(row, 3);
      reply.serverAddress = ColumnText(row, 4);
      reply.serverPort = static_cast<std::uint16_t>(sqlite3_column_int(row, 5));
      reply.records.clear();
    }
    if (sqlite3_column_type(row, 6) != SQLITE_NULL) {
      reply.records.push_back(
          {ColumnText(row, 6), static_cast<std::uint16_t>(sqlite3_column_int(row, 7))});
    }
  }
  if (code != SQLITE_DONE) {
    error = path + QStringLiteral(": ") + ErrorText(db.get());
    return false;
  }
  if (replyId >= 0) visit(reply);
  return true;
}

std::optional<std::vector<HistoryReply>> ReadHistory(const QString& path, const HistoryRange& range,
                                                     QString& error) {
  std::vector<HistoryReply> replies;
  if (!ForEachHistoryReply(
          path, range, [&](const HistoryReply& reply) { replies.push_back(reply); }, error)) {
    return std::nullopt;
  }
  return replies;
}

bool ForEachReplySummary(const QString& path, const HistoryRange& range,
                         const std::function<void(const HistoryReplySummary&)>& visit,
                         QString& error) {
  const Db db = OpenForReading(path, error);
  if (!db) return false;
  const QByteArray sql = QByteArray("SELECT capture_utc_ms, local_time, ") + kReplyViewColumns +
                         " FROM reply WHERE capture_utc_ms >= ?1 AND capture_utc_ms < ?2 "
                         "ORDER BY capture_utc_ms, id";
  const Stmt query = PrepareRangeQuery(db.get(), sql.constData(), range, path, error);
  if (!query) return false;
  HistoryReplySummary summary;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(query.get())) == SQLITE_ROW) {
    sqlite3_stmt* row = query.get();
    summary.captureUtcMs = sqlite3_column_int64(row, 0);
    summary.localTime = QDateTime::fromString(ColumnText(row, 1), Qt::ISODate);
    summary.view = ColumnReplyView(row, 2);
    visit(summary);
  }
  if (code != SQLITE_DONE) {
    error = path + QStringLiteral(": ") + ErrorText(db.get());
    return false;
  }
  return true;
}

std::optional<std::vector<WorldCount>> ReadWorldCounts(const QString& path, const QString& world,
                                                       const HistoryRange& range, QString& error) {
  const Db db = OpenForReading(path, error);
  if (!db) return std::nullopt;
  const Stmt query = PrepareRangeQuery(db.get(),
                                       "SELECT capture_utc_ms, count FROM reply_record "
                                       "WHERE world = ?3 AND capture_utc_ms >= ?1 "
                                       "AND capture_utc_ms < ?2 ORDER BY capture_utc_ms, reply_id",
                                       range, path, error);
  if (!query) return std::nullopt;
  BindText(query.get(), 3, world);
  std::vector<WorldCount> counts;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(query.get())) == SQLITE_ROW) {
    counts.push_back(
        {UtcTime(query.get(), 0), static_cast<std::uint16_t>(sqlite3_column_int(query.get(), 1))});
  }
  if (code != SQLITE_DONE) {
    error = path + QStringLiteral(": ") + ErrorText(db.get());
    return std::nullopt;
  }
  return counts;
}

}  // namespace dorvex
