#include "history/reply_summary.h"

#include <algorithm>
#include <utility>

#include "history/history_reading.h"
#include "history/reply_view_columns.h"

namespace dorvex {

using namespace history_detail;

namespace {

// The summaries of `range` whose row is above `afterId`, oldest first.
std::optional<std::vector<ReplySummary>> ReadSummaries(const QString& path,
                                                       const HistoryRange& range, qint64 afterId,
                                                       QString& error) {
  const Db db = OpenForReading(path, error);
  if (!db) return std::nullopt;
  const QByteArray sql = QByteArray("SELECT id, capture_utc_ms, local_time, ") +
                         ReplyViewColumns() +
                         " FROM reply WHERE capture_utc_ms >= ?1 AND capture_utc_ms < ?2 "
                         "AND id > ?3 ORDER BY capture_utc_ms, id";
  const Stmt query = PrepareRangeQuery(db.get(), sql.constData(), range, path, error);
  if (!query) return std::nullopt;
  sqlite3_bind_int64(query.get(), 3, afterId);
  std::vector<ReplySummary> summaries;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(query.get())) == SQLITE_ROW) {
    sqlite3_stmt* row = query.get();
    ReplySummary& summary = summaries.emplace_back();
    summary.id = sqlite3_column_int64(row, 0);
    summary.captureMs = sqlite3_column_int64(row, 1);
    summary.localTime = QDateTime::fromString(ColumnText(row, 2), Qt::ISODate);
    ColumnReplyView(row, 3, summary);
  }
  if (code != SQLITE_DONE) {
    error = ReadErrorText(path, db.get());
    return std::nullopt;
  }
  return summaries;
}

}  // namespace

std::int32_t PvpCount(const ReplySummary& summary) {
  return summary.worlds[PvpWorldIndex()];
}

std::optional<std::vector<ReplySummary>> ReadReplySummaries(const QString& path,
                                                            const HistoryRange& range,
                                                            QString& error) {
  return ReadSummaries(path, range, 0, error);
}

std::optional<std::vector<ReplySummary>> ReadNewerSummaries(const QString& path,
                                                            const std::vector<ReplySummary>& shown,
                                                            const QDateTime& since,
                                                            QString& error) {
  const qint64 from = RangeSinceMs({since, {}});
  std::vector<ReplySummary> merged;
  qint64 lastId = 0;
  for (const ReplySummary& summary : shown) {
    lastId = std::max(lastId, summary.id);
    if (summary.captureMs >= from) merged.push_back(summary);
  }
  const qint64 newerFrom = shown.empty() ? from : std::max(from, shown.back().captureMs);
  auto newer =
      ReadSummaries(path, {QDateTime::fromMSecsSinceEpoch(newerFrom, Qt::UTC), {}}, lastId, error);
  if (!newer) return std::nullopt;
  merged.insert(merged.end(), std::make_move_iterator(newer->begin()),
                std::make_move_iterator(newer->end()));
  return merged;
}

std::optional<qint64> CountReplies(const QString& path, const HistoryRange& range, QString& error) {
  const Db db = OpenForReading(path, error);
  if (!db) return std::nullopt;
  const Stmt query = PrepareRangeQuery(
      db.get(), "SELECT count(*) FROM reply WHERE capture_utc_ms >= ?1 AND capture_utc_ms < ?2",
      range, path, error);
  if (!query) return std::nullopt;
  if (sqlite3_step(query.get()) != SQLITE_ROW) {
    error = ReadErrorText(path, db.get());
    return std::nullopt;
  }
  return sqlite3_column_int64(query.get(), 0);
}

}  // namespace dorvex
