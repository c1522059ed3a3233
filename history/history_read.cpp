#include "history/history_read.h"

#include <limits>
#include <utility>

#include "history/history_reading.h"
#include "history/history_schema.h"
#include "history/offset_time_text.h"
#include "history/read_bounds.h"
#include "history/reply_records.h"

namespace dorvex::history_detail {

QDateTime UtcTimeAt(sqlite3_stmt* statement, int column) {
  return QDateTime::fromMSecsSinceEpoch(sqlite3_column_int64(statement, column), Qt::UTC);
}

qint64 RangeSinceMs(const HistoryRange& range) {
  return range.since.isNull() ? std::numeric_limits<qint64>::min()
                              : range.since.toMSecsSinceEpoch();
}

qint64 RangeUntilMs(const HistoryRange& range) {
  return range.until.isNull() ? std::numeric_limits<qint64>::max()
                              : range.until.toMSecsSinceEpoch();
}

QString ReadErrorText(const QString& path, sqlite3* db) {
  return path + QStringLiteral(": ") + ErrorText(db);
}

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
  // Each reading connection stays on the thread that opened it: no mutex of its own.
  Db db = OpenDb(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, code, message);
  if (!db) {
    error = path + QStringLiteral(": ") + message;
    return nullptr;
  }
  sqlite3_busy_timeout(db.get(), kHistoryBusyTimeoutMs);
  BoundRead(db.get());
  return db;
}

Stmt PrepareRangeQuery(sqlite3* db, const char* sql, const HistoryRange& range, const QString& path,
                       QString& error) {
  Stmt query = Prepare(db, sql);
  if (!query) {
    error = ReadErrorText(path, db);
    return nullptr;
  }
  sqlite3_bind_int64(query.get(), 1, RangeSinceMs(range));
  sqlite3_bind_int64(query.get(), 2, RangeUntilMs(range));
  return query;
}

}  // namespace dorvex::history_detail

namespace dorvex {

using namespace history_detail;

namespace {

constexpr char kReplyColumns[] =
    "SELECT id, capture_utc_ms, local_time, adapter, server_address, server_port, records FROM "
    "reply ";

// Steps through the rows of `query` (its column 0 the reply's row), handing each to `visit`,
// which returns false when the reply's records cannot be read.
bool StepReplies(sqlite3* db, sqlite3_stmt* query, const QString& path,
                 const std::function<bool(sqlite3_stmt*)>& visit, QString& error) {
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(query)) == SQLITE_ROW) {
    if (!visit(query)) {
      error = path + QStringLiteral(" is damaged: the records of reply %1 cannot be read")
                         .arg(sqlite3_column_int64(query, 0));
      return false;
    }
  }
  if (code != SQLITE_DONE) {
    error = ReadErrorText(path, db);
    return false;
  }
  return true;
}

// The world table, read in the same read transaction as the replies that follow (BEGIN before
// the query's first step), so that every world the replies name is there.
std::optional<WorldNames> ReadNames(sqlite3* db, const QString& path, QString& error) {
  std::optional<WorldNames> names = ReadWorldNames(db);
  if (!names) error = ReadErrorText(path, db);
  return names;
}

QByteArrayView ColumnBytes(sqlite3_stmt* query, int column) {
  const auto* data = static_cast<const char*>(sqlite3_column_blob(query, column));
  return QByteArrayView(data, sqlite3_column_bytes(query, column));
}

// Hands each reply of `query` (kReplyColumns) to `visit`, its records named from the world table.
bool VisitReplies(sqlite3* db, sqlite3_stmt* query, const QString& path,
                  const std::function<void(const HistoryReply&)>& visit, QString& error) {
  const std::optional<WorldNames> names = ReadNames(db, path, error);
  if (!names) return false;
  HistoryReply reply;
  return StepReplies(
      db, query, path,
      [&](sqlite3_stmt* row) {
        std::optional<std::vector<DecodedRecord>> records =
            DecodeRecords(ColumnBytes(row, 6), *names);
        if (!records) return false;
        reply.captureTimeUtc = UtcTimeAt(row, 1);
        reply.localTime = ReadOffsetTime(ColumnUtf8(row, 2));
        reply.adapter = ColumnText(row, 3);
        reply.serverAddress = ColumnText(row, 4);
        reply.serverPort = static_cast<std::uint16_t>(sqlite3_column_int(row, 5));
        reply.records = std::move(*records);
        visit(reply);
        return true;
      },
      error);
}

// A read transaction over the reads of `db` that follow.
bool BeginReading(sqlite3* db, const QString& path, QString& error) {
  if (Exec(db, "BEGIN") == SQLITE_OK) return true;
  error = ReadErrorText(path, db);
  return false;
}

// The replies of `range`, oldest first, with the columns of `columns` ("SELECT ... FROM reply "),
// inside a read transaction.
Stmt QueryRange(sqlite3* db, const char* columns, const HistoryRange& range, const QString& path,
                QString& error) {
  if (!BeginReading(db, path, error)) return nullptr;
  const QByteArray sql = QByteArray(columns) +
                         "WHERE capture_utc_ms >= ?1 AND capture_utc_ms < ?2 "
                         "ORDER BY capture_utc_ms, id";
  return PrepareRangeQuery(db, sql.constData(), range, path, error);
}

}  // namespace

bool ForEachHistoryReply(const QString& path, const HistoryRange& range,
                         const std::function<void(const HistoryReply&)>& visit, QString& error) {
  const Db db = OpenForReading(path, error);
  if (!db) return false;
  const Stmt query = QueryRange(db.get(), kReplyColumns, range, path, error);
  return query && VisitReplies(db.get(), query.get(), path, visit, error);
}

bool history_detail::ForEachStoredReply(const QString& path, const HistoryRange& range,
                                        const std::function<void(const WorldNames&)>& start,
                                        const std::function<bool(const StoredReply&)>& visit,
                                        QString& error) {
  const Db db = OpenForReading(path, error);
  if (!db) return false;
  const Stmt query =
      QueryRange(db.get(), "SELECT id, local_time, records FROM reply ", range, path, error);
  if (!query) return false;
  const std::optional<WorldNames> names = ReadNames(db.get(), path, error);
  if (!names) return false;
  start(*names);
  return StepReplies(
      db.get(), query.get(), path,
      [&](sqlite3_stmt* row) {
        return visit({sqlite3_column_int64(row, 0), ColumnUtf8(row, 1), ColumnBytes(row, 2)});
      },
      error);
}

std::optional<HistoryReply> ReadReply(const QString& path, qint64 id, QString& error) {
  const Db db = OpenForReading(path, error);
  if (!db || !BeginReading(db.get(), path, error)) return std::nullopt;
  const QByteArray sql = QByteArray(kReplyColumns) + "WHERE id = ?1";
  const Stmt query = Prepare(db.get(), sql.constData());
  if (!query) {
    error = ReadErrorText(path, db.get());
    return std::nullopt;
  }
  sqlite3_bind_int64(query.get(), 1, id);
  std::optional<HistoryReply> found;
  if (!VisitReplies(
          db.get(), query.get(), path, [&](const HistoryReply& reply) { found = reply; }, error)) {
    return std::nullopt;
  }
  if (!found) error = path + QStringLiteral(" no longer holds the chosen reply");
  return found;
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

}  // namespace dorvex
