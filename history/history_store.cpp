#include "history/history_store.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "common/private_files.h"
#include "history/offset_time_text.h"
#include "history/reply_records.h"
#include "history/reply_view_columns.h"
#include "history/sqlite_db.h"

namespace dorvex {

using namespace history_detail;

struct HistoryStore::Connection {
  Db db;
  Stmt insertReply;
  std::optional<WorldIds> worldIds;  // dropped with the connection when a write fails
};

namespace {

QString GeneralReason(int code, const QString& detail) {
  switch (code) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return QStringLiteral("the file is in use by another program");
    case SQLITE_FULL:
      return QStringLiteral("the disk is full");
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
    case SQLITE_AUTH:
      return QStringLiteral("the file or its folder cannot be written");
    default:
      return detail;
  }
}

QString ReasonOf(int code, sqlite3* db) {
  const QString detail = db != nullptr ? ErrorText(db) : QString::fromUtf8(sqlite3_errstr(code));
  return GeneralReason(code, detail) + QStringLiteral(" (") + detail + u')';
}

int CurrentVersion(std::span<const HistorySchemaStep> steps) {
  return steps.empty() ? 0 : steps.back().toVersion;
}

}  // namespace

HistoryStore::HistoryStore(QString path, HistoryStoreOptions options)
    : path_(std::move(path)), options_(options) {
  if (!EnsureOpen()) ShowNotSaving();
}

HistoryStore::~HistoryStore() {
  Flush();
}

bool HistoryStore::Record(HistoryReply reply) {
  queue_.push_back(std::move(reply));
  const bool written = Flush();
  if (!written) DropOverflow();
  return written;
}

bool HistoryStore::Flush() {
  return WriteQueue(1);
}

bool HistoryStore::RecordAll(std::vector<HistoryReply> replies) {
  for (HistoryReply& reply : replies) queue_.push_back(std::move(reply));
  const bool written = WriteQueue(queue_.size());
  if (!written) DropOverflow();
  return written;
}

bool HistoryStore::WriteQueue(std::size_t perTransaction) {
  while (!queue_.empty()) {
    const auto last =
        queue_.begin() + static_cast<std::ptrdiff_t>(std::min(perTransaction, queue_.size()));
    if (!EnsureOpen() || !Write(queue_.begin(), last)) {
      ShowNotSaving();
      return false;
    }
    queue_.erase(queue_.begin(), last);
  }
  if (!refused_) {
    status_ = dropped_ == 0 ? QString()
                            : QStringLiteral(
                                  "History is saved to %1 again; %2 older %3 dropped "
                                  "while it could not be written")
                                  .arg(path_)
                                  .arg(dropped_)
                                  .arg(dropped_ == 1 ? QStringLiteral("reply was")
                                                     : QStringLiteral("replies were"));
  }
  return true;
}

bool HistoryStore::EnsureOpen() {
  if (refused_) return false;
  if (connection_) return true;
  if (Open()) return true;
  connection_.reset();
  return false;
}

void HistoryStore::Fail(const QString& reason) {
  failure_ = reason;
  connection_.reset();
}

void HistoryStore::DropOverflow() {
  if (queue_.size() <= options_.maxWaiting) return;
  while (queue_.size() > options_.maxWaiting) {
    queue_.pop_front();
    ++dropped_;
  }
  ShowNotSaving();
}

void HistoryStore::ShowNotSaving() {
  if (refused_) return;  // Refuse said why
  status_ = QStringLiteral("History is not being saved to %1: %2").arg(path_, failure_);
  if (queue_.size() == 1) {
    status_ += QStringLiteral("; 1 reply waits in memory and is retried at the next reply");
  } else if (!queue_.empty()) {
    status_ += QStringLiteral("; %1 replies wait in memory and are retried at the next reply")
                   .arg(queue_.size());
  }
  if (dropped_ > 0) {
    status_ +=
        QStringLiteral("; %1 older %2 dropped (at most %3 wait)")
            .arg(dropped_)
            .arg(dropped_ == 1 ? QStringLiteral("reply was") : QStringLiteral("replies were"))
            .arg(options_.maxWaiting);
  }
}

void HistoryStore::Refuse(const QString& reason) {
  refused_ = true;
  connection_.reset();
  status_ = QStringLiteral("History is off: %1 %2; the file is left as it is").arg(path_, reason);
}

bool HistoryStore::Open() {
  const HistoryFileCheck check = CheckHistoryFile(path_, CurrentVersion(options_.steps), true);
  switch (check.kind) {
    case HistoryFileKind::kForeign:
    case HistoryFileKind::kCorrupt:
    case HistoryFileKind::kNewer:
      Refuse(check.reason);
      return false;
    case HistoryFileKind::kBusy:
      Fail(check.reason);
      return false;
    default:
      break;
  }
  // A new history is its owner's alone; SQLite gives its -wal and -shm files the same mode.
  QString createError;
  if (check.kind == HistoryFileKind::kMissing && !CreatePrivateFile(path_, createError)) {
    Fail(createError);
    return false;
  }
  const int flags = SQLITE_OPEN_READWRITE;
  int code = SQLITE_OK;
  QString message;
  Db db = OpenDb(path_, flags, code, message);
  if (!db) {
    Fail(ReasonOf(code, nullptr));
    return false;
  }
  sqlite3_busy_timeout(db.get(), options_.busyTimeoutMs);
  connection_ = std::make_unique<Connection>();
  connection_->db = std::move(db);
  sqlite3* raw = connection_->db.get();
  // WAL: a reader never blocks the writer, and a killed writer loses only its open transaction.
  // synchronous=NORMAL: a commit survives the process being killed, without an fsync per reply.
  Stmt wal = Prepare(raw, "PRAGMA journal_mode=WAL");
  const int walCode = wal ? sqlite3_step(wal.get()) : sqlite3_errcode(raw);
  const bool inWal = walCode == SQLITE_ROW && ColumnText(wal.get(), 0) == u"wal";
  wal.reset();
  if (!inWal || Exec(raw, "PRAGMA synchronous=NORMAL") != SQLITE_OK) {
    Fail(ReasonOf(walCode == SQLITE_ROW ? SQLITE_READONLY : sqlite3_errcode(raw), raw));
    return false;
  }
  if (!Upgrade()) return false;
  const QByteArray insertReply =
      QByteArray(
          "INSERT INTO reply (capture_utc_ms, local_time, adapter, server_address, "
          "server_port, records, ") +
      ReplyViewColumns() + ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, " + ReplyViewPlaceholders(7) + ')';
  connection_->insertReply = Prepare(raw, insertReply.constData());
  connection_->worldIds.emplace(raw);
  if (!connection_->insertReply || !connection_->worldIds->Prepared()) {
    Fail(ReasonOf(sqlite3_errcode(raw), raw));
    return false;
  }
  return true;
}

// Brings the file to the current version in one transaction, judging it again under the write
// lock: another instance may have created or upgraded it meanwhile.
bool HistoryStore::Upgrade() {
  sqlite3* db = connection_->db.get();
  if (Exec(db, "BEGIN IMMEDIATE") != SQLITE_OK) {
    Fail(ReasonOf(sqlite3_errcode(db), db));
    return false;
  }
  const auto failed = [&](bool refuse, const QString& reason) {
    Exec(db, "ROLLBACK");
    if (refuse) {
      Refuse(reason);
    } else {
      Fail(reason);
    }
    return false;
  };
  std::int64_t applicationId = 0, version = 0, tables = 0;
  if (!QueryInt(db, "PRAGMA application_id", applicationId) ||
      !QueryInt(db, "PRAGMA user_version", version) ||
      !QueryInt(db, "SELECT count(*) FROM sqlite_master", tables)) {
    return failed(false, ReasonOf(sqlite3_errcode(db), db));
  }
  const HistoryFileCheck judged =
      JudgeHistoryHeader(applicationId, version, tables, CurrentVersion(options_.steps));
  if (judged.kind == HistoryFileKind::kForeign || judged.kind == HistoryFileKind::kNewer) {
    return failed(true, judged.reason);
  }
  QString schemaReason;
  if (judged.kind == HistoryFileKind::kOurs && !SchemaIsOurs(db, judged.version, schemaReason)) {
    return failed(true, schemaReason);
  }
  for (const HistorySchemaStep& step : options_.steps) {
    if (step.toVersion <= version) continue;
    const QByteArray setVersion = "PRAGMA user_version=" + QByteArray::number(step.toVersion);
    if (Exec(db, step.sql) != SQLITE_OK || (step.fill != nullptr && !step.fill(db)) ||
        (step.after != nullptr && Exec(db, step.after) != SQLITE_OK) ||
        Exec(db, setVersion.constData()) != SQLITE_OK) {
      return failed(false, ReasonOf(sqlite3_errcode(db), db));
    }
  }
  const QByteArray setId = "PRAGMA application_id=" + QByteArray::number(kHistoryApplicationId);
  if (Exec(db, setId.constData()) != SQLITE_OK || Exec(db, "COMMIT") != SQLITE_OK) {
    return failed(false, ReasonOf(sqlite3_errcode(db), db));
  }
  // The upgrade to version 3 left the old records' pages free: the file is rewritten without them
  // once. Failing (no room for the copy) leaves the upgraded file as it is, free pages and all.
  if (version > 0 && version < 3 && CurrentVersion(options_.steps) >= 3) Exec(db, "VACUUM");
  return true;
}

bool HistoryStore::Write(std::deque<HistoryReply>::const_iterator first,
                         std::deque<HistoryReply>::const_iterator last) {
  sqlite3* db = connection_->db.get();
  sqlite3_stmt* insertReply = connection_->insertReply.get();
  const auto fail = [&] {
    const int code = sqlite3_errcode(db);
    sqlite3_reset(insertReply);
    if (!sqlite3_get_autocommit(db)) Exec(db, "ROLLBACK");
    Fail(ReasonOf(code, db));
    return false;
  };
  if (Exec(db, "BEGIN IMMEDIATE") != SQLITE_OK) return fail();
  for (auto it = first; it != last; ++it) {
    const HistoryReply& reply = *it;
    const qint64 utcMs = reply.captureTimeUtc.toMSecsSinceEpoch();
    sqlite3_bind_int64(insertReply, 1, utcMs);
    BindText(insertReply, 2, OffsetTimeText(reply.localTime));
    BindText(insertReply, 3, reply.adapter);
    BindText(insertReply, 4, reply.serverAddress);
    sqlite3_bind_int(insertReply, 5, reply.serverPort);
    const std::optional<QByteArray> records = RecordsBlob(reply.records, *connection_->worldIds);
    if (!records) return fail();
    sqlite3_bind_blob(insertReply, 6, records->constData(), static_cast<int>(records->size()),
                      SQLITE_STATIC);
    BindReplyView(insertReply, 7, CountsOfReply(reply.records));
    if (sqlite3_step(insertReply) != SQLITE_DONE) return fail();
    sqlite3_reset(insertReply);
  }
  if (Exec(db, "COMMIT") != SQLITE_OK) return fail();
  return true;
}

}  // namespace dorvex
