#include "history/reply_view_columns.h"

#include <vector>

#include "history/sqlite_db.h"
#include "tally/world_table.h"

namespace dorvex::history_detail {

namespace {

// The view's column names, each world's count column in `countPattern` (%1: its name).
QByteArray ViewColumns(const char* countPattern) {
  QByteArray names =
      "total_grand, total_group1, total_group2, total_group3, total_group4, total_generation1, "
      "total_generation2, total_generation3, total_generation4, total_generation5";
  for (const World& world : WorldTable()) {
    const QByteArray column =
        "count_" + QByteArray(world.name.data(), static_cast<qsizetype>(world.name.size()));
    names += ", " + QByteArray(countPattern).replace("%1", column);
  }
  return names;
}

}  // namespace

const QByteArray& ReplyViewColumns() {
  static const QByteArray columns = ViewColumns("%1");
  return columns;
}

const QByteArray& ReplyViewReadColumns() {
  static const QByteArray columns =
      ViewColumns(QByteArray("coalesce(%1, " + QByteArray::number(kNotMeasured) + ')').constData());
  return columns;
}

namespace {

// The totals in column order.
std::array<std::int64_t, 10> TotalsInOrder(const Totals& totals) {
  std::array<std::int64_t, 10> values{totals.grand};
  for (std::size_t i = 0; i < totals.group.size(); ++i) values[1 + i] = totals.group[i];
  for (std::size_t i = 0; i < totals.generation.size(); ++i) values[5 + i] = totals.generation[i];
  return values;
}

// Replies computed and written per round of the upgrade, so that memory stays small.
constexpr sqlite3_int64 kFillChunk = 4096;

}  // namespace

QByteArray ReplyViewPlaceholders(int first) {
  QByteArray text;
  for (int i = 0; i < kReplyViewColumnCount; ++i) {
    if (i > 0) text += ", ";
    text += '?' + QByteArray::number(first + i);
  }
  return text;
}

void BindReplyView(sqlite3_stmt* statement, int first, const FieldCounts& counts) {
  int index = first;
  for (const std::int64_t total : TotalsInOrder(counts.totals)) {
    sqlite3_bind_int64(statement, index++, total);
  }
  for (const std::int32_t count : counts.worlds) {
    if (count == kNotMeasured) {
      sqlite3_bind_null(statement, index++);
    } else {
      sqlite3_bind_int(statement, index++, count);
    }
  }
}

void ColumnReplyView(sqlite3_stmt* statement, int first, ReplySummary& view) {
  view.totals.grand = sqlite3_column_int64(statement, first);
  for (std::size_t i = 0; i < view.totals.group.size(); ++i) {
    view.totals.group[i] = sqlite3_column_int64(statement, first + 1 + static_cast<int>(i));
  }
  for (std::size_t i = 0; i < view.totals.generation.size(); ++i) {
    view.totals.generation[i] = sqlite3_column_int64(statement, first + 5 + static_cast<int>(i));
  }
  for (std::size_t i = 0; i < view.worlds.size(); ++i) {
    view.worlds[i] = sqlite3_column_int(statement, first + 10 + static_cast<int>(i));
  }
}

bool FillReplyViews(sqlite3* db) {
  std::int64_t lastId = 0;
  if (!QueryInt(db, "SELECT coalesce(max(id), 0) FROM reply", lastId)) return false;
  const Stmt select = Prepare(db,
                              "SELECT r.id, c.world, c.count FROM reply r "
                              "LEFT JOIN reply_record c ON c.reply_id = r.id "
                              "WHERE r.id > ?1 AND r.id <= ?2 ORDER BY r.id, c.position");
  const QByteArray updateSql = QByteArray("UPDATE reply SET (") + ReplyViewColumns() + ") = (" +
                               ReplyViewPlaceholders(2) + ") WHERE id = ?1";
  const Stmt update = Prepare(db, updateSql.constData());
  if (!select || !update) return false;
  struct Pending {
    sqlite3_int64 id;
    std::vector<DecodedRecord> records;
  };
  std::vector<Pending> chunk;
  for (sqlite3_int64 after = 0; after < lastId; after += kFillChunk) {
    chunk.clear();
    sqlite3_bind_int64(select.get(), 1, after);
    sqlite3_bind_int64(select.get(), 2, after + kFillChunk);
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(select.get())) == SQLITE_ROW) {
      sqlite3_stmt* row = select.get();
      const sqlite3_int64 id = sqlite3_column_int64(row, 0);
      if (chunk.empty() || chunk.back().id != id) chunk.push_back({id, {}});
      if (sqlite3_column_type(row, 1) != SQLITE_NULL) {
        chunk.back().records.push_back(
            {ColumnText(row, 1), static_cast<std::uint16_t>(sqlite3_column_int(row, 2))});
      }
    }
    sqlite3_reset(select.get());
    if (code != SQLITE_DONE) return false;
    for (const Pending& reply : chunk) {
      sqlite3_bind_int64(update.get(), 1, reply.id);
      BindReplyView(update.get(), 2, CountsOfReply(reply.records));
      const int stepped = sqlite3_step(update.get());
      sqlite3_reset(update.get());
      if (stepped != SQLITE_DONE) return false;
    }
  }
  return true;
}

}  // namespace dorvex::history_detail
