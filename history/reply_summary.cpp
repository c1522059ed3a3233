#include "history/reply_summary.h"

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <utility>

#include "common/parallel_work.h"
#include "history/history_reading.h"
#include "history/offset_time_text.h"
#include "history/read_bounds.h"
#include "history/reply_view_columns.h"

namespace dorvex {

using namespace history_detail;

namespace {

// Asks the kernel to back `bytes` from `data` with huge pages where it can: a year of summaries
// is ~100 MB, and its first touch page by page took a quarter of the read.
void AskForLargePages(void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) / page * page;
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

// Replies whose capture time is in [sinceMs, untilMs) and whose row is above afterId.
struct RangeRows {
  qint64 sinceMs = 0;
  qint64 untilMs = 0;
  qint64 afterId = 0;
};

constexpr char kRangeRowsWhere[] =
    " FROM reply WHERE capture_utc_ms >= ?1 AND capture_utc_ms < ?2 AND id > ?3";

// `sql` (kRangeRowsWhere's parameters, and ?4 when `extra` is given) prepared and bound; null
// with `error`.
Stmt PrepareRowsQuery(sqlite3* db, const QByteArray& sql, const RangeRows& rows,
                      const QString& path, QString& error, qint64 extra = 0) {
  Stmt query = Prepare(db, sql.constData());
  if (!query) {
    error = ReadErrorText(path, db);
    return nullptr;
  }
  sqlite3_bind_int64(query.get(), 1, rows.sinceMs);
  sqlite3_bind_int64(query.get(), 2, rows.untilMs);
  sqlite3_bind_int64(query.get(), 3, rows.afterId);
  if (sqlite3_bind_parameter_count(query.get()) >= 4) sqlite3_bind_int64(query.get(), 4, extra);
  return query;
}

// The first column of the query's single row; nullopt with `error`.
std::optional<qint64> ReadNumber(sqlite3* db, const QByteArray& sql, const RangeRows& rows,
                                 const QString& path, QString& error, qint64 extra = 0) {
  const Stmt query = PrepareRowsQuery(db, sql, rows, path, error, extra);
  if (!query) return std::nullopt;
  const int code = sqlite3_step(query.get());
  if (code == SQLITE_ROW) return sqlite3_column_int64(query.get(), 0);
  error = code == SQLITE_DONE ? path + QStringLiteral(": the range's replies are not where counted")
                              : ReadErrorText(path, db);
  return std::nullopt;
}

// Room for `count` summaries in `summaries`.
void MakeRoom(std::vector<ReplySummary>& summaries, qint64 count) {
  summaries.reserve(summaries.size() + static_cast<std::size_t>(std::max<qint64>(count, 0)));
  AskForLargePages(summaries.data(), summaries.capacity() * sizeof(ReplySummary));
}

// Appends the summaries of `rows`, oldest first, to `summaries`.
bool ReadRows(sqlite3* db, const RangeRows& rows, const QString& path,
              std::vector<ReplySummary>& summaries, QString& error) {
  const QByteArray sql = QByteArray("SELECT id, capture_utc_ms, local_time, ") +
                         ReplyViewReadColumns() + kRangeRowsWhere + " ORDER BY capture_utc_ms, id";
  const Stmt query = PrepareRowsQuery(db, sql, rows, path, error);
  if (!query) return false;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(query.get())) == SQLITE_ROW) {
    sqlite3_stmt* row = query.get();
    ReplySummary& summary = summaries.emplace_back();
    summary.id = sqlite3_column_int64(row, 0);
    summary.captureMs = sqlite3_column_int64(row, 1);
    summary.clockMs = ReadClockMs(ColumnUtf8(row, 2)).value_or(kNoClockTime);
    ColumnReplyView(row, 3, summary);
  }
  if (code != SQLITE_DONE) {
    error = ReadErrorText(path, db);
    return false;
  }
  return true;
}

// The later half of `rows` from `middleMs` on, read on a connection of its own.
bool ReadLaterHalf(const QString& path, RangeRows rows, qint64 middleMs, qint64 count,
                   std::vector<ReplySummary>& later, QString& error) {
  const Db db = OpenForReading(path, error);
  if (!db) return false;
  rows.sinceMs = middleMs;
  MakeRoom(later, count);
  return ReadRows(db.get(), rows, path, later, error);
}

// The summaries of `range` whose row is above `afterId`, oldest first. Counted first, so that a
// year of summaries is allocated once. From `splitLeast` replies on, read in two halves side by
// side: SQLite's stepping and the summaries' making are most of the read, and on two cores
// neither half waits for the other.
std::optional<std::vector<ReplySummary>> ReadSummaries(const QString& path,
                                                       const HistoryRange& range, qint64 afterId,
                                                       qint64 splitLeast, QString& error) {
  const Db db = OpenForReading(path, error);
  if (!db) return std::nullopt;
  const RangeRows rows{RangeSinceMs(range), RangeUntilMs(range), afterId};
  // One read transaction for the count, the middle and the earlier half; the later half's own
  // connection can only see replies recorded since, and those are read as well.
  if (Exec(db.get(), "BEGIN") != SQLITE_OK) {
    error = ReadErrorText(path, db.get());
    return std::nullopt;
  }
  const std::optional<qint64> count =
      ReadNumber(db.get(), QByteArray("SELECT count(*)") + kRangeRowsWhere, rows, path, error);
  if (!count) return std::nullopt;
  std::vector<ReplySummary> summaries;
  MakeRoom(summaries, *count);
  if (*count < splitLeast || CoresForWork() < 2) {
    if (!ReadRows(db.get(), rows, path, summaries, error)) return std::nullopt;
    return summaries;
  }
  const std::optional<qint64> middleMs =
      ReadNumber(db.get(),
                 QByteArray("SELECT capture_utc_ms") + kRangeRowsWhere +
                     " ORDER BY capture_utc_ms LIMIT 1 OFFSET ?4",
                 rows, path, error, *count / 2);
  if (!middleMs) return std::nullopt;
  const std::atomic<bool>* cancelled = ReadCancelScope::Current();
  std::vector<ReplySummary> later;
  QString laterError;
  bool read[2] = {false, false};
  RunInParallel(2, [&](std::size_t half) {
    const ReadCancelScope scope(cancelled);
    read[half] =
        half == 0 ? ReadRows(db.get(), {rows.sinceMs, *middleMs, afterId}, path, summaries, error)
                  : ReadLaterHalf(path, rows, *middleMs, *count - *count / 2, later, laterError);
  });
  if (!read[0]) return std::nullopt;
  if (!read[1]) {
    error = laterError;
    return std::nullopt;
  }
  summaries.insert(summaries.end(), later.begin(), later.end());
  return summaries;
}

// Room for the replies recorded since a read, mostly a few, without moving the shown ones again.
constexpr std::size_t kNewerRoom = 1024;

}  // namespace

QDateTime ClockTime(const ReplySummary& summary) {
  if (summary.clockMs == kNoClockTime) return {};
  return QDateTime::fromMSecsSinceEpoch(summary.clockMs, Qt::UTC);
}

std::int32_t PvpCount(const ReplySummary& summary) {
  return summary.worlds[PvpWorldIndex()];
}

std::optional<std::vector<ReplySummary>> ReadReplySummaries(const QString& path,
                                                            const HistoryRange& range,
                                                            QString& error) {
  return history_detail::ReadReplySummariesSplitFrom(path, range, kSplitLeast, error);
}

std::optional<std::vector<ReplySummary>> history_detail::ReadReplySummariesSplitFrom(
    const QString& path, const HistoryRange& range, qint64 splitLeast, QString& error) {
  return ReadSummaries(path, range, 0, splitLeast, error);
}

std::optional<std::vector<ReplySummary>> ReadNewerSummaries(const QString& path,
                                                            const std::vector<ReplySummary>& shown,
                                                            const QDateTime& since,
                                                            QString& error) {
  const qint64 from = RangeSinceMs({since, {}});
  std::vector<ReplySummary> merged;
  merged.reserve(shown.size() + kNewerRoom);
  qint64 lastId = 0;
  for (const ReplySummary& summary : shown) {
    lastId = std::max(lastId, summary.id);
    if (summary.captureMs >= from) merged.push_back(summary);
  }
  const qint64 newerFrom = shown.empty() ? from : std::max(from, shown.back().captureMs);
  auto newer = ReadSummaries(path, {QDateTime::fromMSecsSinceEpoch(newerFrom, Qt::UTC), {}}, lastId,
                             kSplitLeast, error);
  if (!newer) return std::nullopt;
  merged.insert(merged.end(), std::make_move_iterator(newer->begin()),
                std::make_move_iterator(newer->end()));
  return merged;
}

std::optional<qint64> CountReplies(const QString& path, const HistoryRange& range, QString& error) {
  const Db db = OpenForReading(path, error);
  if (!db) return std::nullopt;
  return ReadNumber(db.get(), QByteArray("SELECT count(*)") + kRangeRowsWhere,
                    {RangeSinceMs(range), RangeUntilMs(range), 0}, path, error);
}

}  // namespace dorvex
