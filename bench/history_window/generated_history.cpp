#include "bench/history_window/generated_history.h"

#include <sqlite3.h>

#include <QFile>
#include <cmath>
#include <memory>
#include <numbers>

#include "history/history_store.h"
#include "tally/world_table.h"

namespace dorvex::bench {

namespace {

// Typical evening counts of the worlds, in table order.
constexpr int kEveningCounts[] = {1400, 900, 650, 700, 600, 750, 500, 450, 800, 550, 400, 2100,
                                  1200, 500, 600, 450, 380, 520, 480, 430, 900, 470, 350, 260};

// A small deterministic generator, so that every run writes the same file.
class Noise {
 public:
  double Next() {  // in [-1, 1)
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state_ >> 11) / static_cast<double>(1ULL << 52) - 1.0;
  }

 private:
  std::uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

HistoryReply GeneratedReply(const QDateTime& utc, Noise& noise) {
  const QDateTime local = utc.toOffsetFromUtc(9 * 3600);
  const double hour = local.time().hour() + local.time().minute() / 60.0;
  // Lowest near 07:00, highest near 22:00 local time, a little busier at weekends.
  const double rhythm = 0.55 + 0.4 * std::cos((hour - 22.0) / 24.0 * 2 * std::numbers::pi) +
                        (local.date().dayOfWeek() >= 6 ? 0.1 : 0.0);
  HistoryReply reply{utc, local, QStringLiteral("eth0"), QStringLiteral("10.0.0.1"), 6900, {}};
  const auto worlds = WorldStringTable();
  for (std::size_t i = 0; i < worlds.size(); ++i) {
    const double count =
        kEveningCounts[i % std::size(kEveningCounts)] * rhythm * (1.0 + 0.05 * noise.Next());
    reply.records.push_back({worlds[i].name, static_cast<std::uint16_t>(std::lround(count))});
  }
  return reply;
}

struct DbClose {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtFinalize {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalize>;

Stmt Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  return Stmt(statement);
}

void BindText(sqlite3_stmt* statement, int index, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  sqlite3_bind_text(statement, index, utf8.constData(), static_cast<int>(utf8.size()),
                    SQLITE_TRANSIENT);
}

bool InsertReply(sqlite3* db, sqlite3_stmt* insertReply, sqlite3_stmt* insertRecord,
                 const HistoryReply& reply) {
  const qint64 ms = reply.captureTimeUtc.toMSecsSinceEpoch();
  sqlite3_reset(insertReply);
  sqlite3_bind_int64(insertReply, 1, ms);
  BindText(insertReply, 2, reply.localTime.toString(Qt::ISODate));
  BindText(insertReply, 3, reply.adapter);
  BindText(insertReply, 4, reply.serverAddress);
  sqlite3_bind_int(insertReply, 5, reply.serverPort);
  if (sqlite3_step(insertReply) != SQLITE_DONE) return false;
  const sqlite3_int64 id = sqlite3_last_insert_rowid(db);
  for (std::size_t position = 0; position < reply.records.size(); ++position) {
    sqlite3_reset(insertRecord);
    sqlite3_bind_int64(insertRecord, 1, id);
    sqlite3_bind_int64(insertRecord, 2, static_cast<sqlite3_int64>(position));
    sqlite3_bind_int64(insertRecord, 3, ms);
    BindText(insertRecord, 4, reply.records[position].name);
    sqlite3_bind_int(insertRecord, 5, reply.records[position].count);
    if (sqlite3_step(insertRecord) != SQLITE_DONE) return false;
  }
  return true;
}

}  // namespace

bool WriteGeneratedHistory(const QString& path, int replies, const QDateTime& first,
                           int intervalSeconds, QString& error) {
  Noise noise;
  {
    HistoryStore store(path);
    if (!store.Record(GeneratedReply(first, noise))) {
      error = store.StatusText();
      return false;
    }
  }
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open(QFile::encodeName(path).constData(), &raw);
  const std::unique_ptr<sqlite3, DbClose> db(raw);
  if (opened != SQLITE_OK) {
    error = path + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(raw));
    return false;
  }
  sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
  const Stmt insertReply = Prepare(raw,
                                   "INSERT INTO reply (capture_utc_ms, local_time, adapter, "
                                   "server_address, server_port) VALUES (?1, ?2, ?3, ?4, ?5)");
  const Stmt insertRecord = Prepare(raw,
                                    "INSERT INTO reply_record (reply_id, position, capture_utc_ms, "
                                    "world, count) VALUES (?1, ?2, ?3, ?4, ?5)");
  bool written = insertReply && insertRecord;
  for (int i = 1; written && i < replies; ++i) {
    const QDateTime utc = first.addSecs(static_cast<qint64>(i) * intervalSeconds);
    written = InsertReply(raw, insertReply.get(), insertRecord.get(), GeneratedReply(utc, noise));
  }
  if (!written || sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    error = path + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(raw));
    return false;
  }
  return true;
}

}  // namespace dorvex::bench
