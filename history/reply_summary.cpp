#include "history/reply_summary.h"

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <utility>

#include "history/history_reading.h"
#include "history/offset_time_text.h"
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

// The summaries of `range` whose row is above `afterId`, oldest first. Counted first, so that a
// year of summaries is allocated once.
std::optional<std::vector<ReplySummary>> ReadSummaries(const QString& path,
                                                       const HistoryRange& range, qint64 afterId,
                                                       QString& error) {
  const Db db = OpenForReading(path, error);
  if (!db) return std::nullopt;
  const char* const where =
      " FROM reply WHERE capture_utc_ms >= ?1 AND capture_utc_ms < ?2 AND id > ?3";
  const Stmt count = PrepareRangeQuery(
      db.get(), (QByteArray("SELECT count(*)") + where).constData(), range, path, error);
  const QByteArray sql = QByteArray("SELECT id, capture_utc_ms, local_time, ") +
                         ReplyViewReadColumns() + where + " ORDER BY capture_utc_ms, id";
  const Stmt query = PrepareRangeQuery(db.get(), sql.constData(), range, path, error);
  if (!count || !query) return std::nullopt;
  sqlite3_bind_int64(count.get(), 3, afterId);
  sqlite3_bind_int64(query.get(), 3, afterId);
  std::vector<ReplySummary> summaries;
  if (sqlite3_step(count.get()) == SQLITE_ROW) {
    summaries.reserve(static_cast<std::size_t>(sqlite3_column_int64(count.get(), 0)));
    AskForLargePages(summaries.data(), summaries.capacity() * sizeof(ReplySummary));
  }
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
    error = ReadErrorText(path, db.get());
    return std::nullopt;
  }
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
  return ReadSummaries(path, range, 0, error);
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
