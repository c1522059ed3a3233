#include "history/history_schema.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <array>
#include <cerrno>
#include <optional>
#include <vector>

#include "common/private_files.h"
#include "history/reply_records.h"
#include "history/reply_view_columns.h"
#include "history/sqlite_db.h"

namespace dorvex {

using namespace history_detail;

namespace {

// Version 1. reply: one row per world list reply. capture_utc_ms: milliseconds since 1970 UTC;
// local_time: ISO 8601 with the UTC offset. reply_record: its records in reply order, with the
// capture time repeated so that one world's counts over a time range come from one index.
//
// Version 2: the report's view of each reply beside it, so that a range's summaries are read
// without the records: the ten totals and the count field of each world of the table (NULL when
// it stays empty), computed by the report's own code when the reply is written, and for the
// replies already kept by FillReplyViews during the upgrade.
//
// Version 3: compact records. Each world name is kept once in world; each reply keeps its records
// in reply order in one BLOB of (world id, count) varint pairs (see reply_records.h), filled from
// reply_record by FillRecordBlobs during the upgrade. reply_record and its per-world index go:
// they held each world's name and the capture time twice per record, ~1.2 KB of a reply's ~1.5 KB,
// and no reader used the per-world index (the window's series come from the view columns).
constexpr std::array<HistorySchemaStep, 3> kSteps{{
    {1, R"sql(
CREATE TABLE reply (
  id INTEGER PRIMARY KEY,
  capture_utc_ms INTEGER NOT NULL,
  local_time TEXT NOT NULL,
  adapter TEXT NOT NULL,
  server_address TEXT NOT NULL,
  server_port INTEGER NOT NULL
);
CREATE INDEX reply_by_time ON reply (capture_utc_ms);
CREATE TABLE reply_record (
  reply_id INTEGER NOT NULL REFERENCES reply (id),
  position INTEGER NOT NULL,
  capture_utc_ms INTEGER NOT NULL,
  world TEXT NOT NULL,
  count INTEGER NOT NULL,
  PRIMARY KEY (reply_id, position)
) WITHOUT ROWID;
CREATE INDEX reply_record_by_world_time ON reply_record (world, capture_utc_ms);
)sql"},
    {2, R"sql(
ALTER TABLE reply ADD COLUMN total_grand INTEGER NOT NULL DEFAULT 0;
ALTER TABLE reply ADD COLUMN total_group1 INTEGER NOT NULL DEFAULT 0;
ALTER TABLE reply ADD COLUMN total_group2 INTEGER NOT NULL DEFAULT 0;
ALTER TABLE reply ADD COLUMN total_group3 INTEGER NOT NULL DEFAULT 0;
ALTER TABLE reply ADD COLUMN total_group4 INTEGER NOT NULL DEFAULT 0;
ALTER TABLE reply ADD COLUMN total_generation1 INTEGER NOT NULL DEFAULT 0;
ALTER TABLE reply ADD COLUMN total_generation2 INTEGER NOT NULL DEFAULT 0;
ALTER TABLE reply ADD COLUMN total_generation3 INTEGER NOT NULL DEFAULT 0;
ALTER TABLE reply ADD COLUMN total_generation4 INTEGER NOT NULL DEFAULT 0;
ALTER TABLE reply ADD COLUMN total_generation5 INTEGER NOT NULL DEFAULT 0;
ALTER TABLE reply ADD COLUMN count_verdandi INTEGER;
ALTER TABLE reply ADD COLUMN count_magni INTEGER;
ALTER TABLE reply ADD COLUMN count_surt INTEGER;
ALTER TABLE reply ADD COLUMN count_forsety INTEGER;
ALTER TABLE reply ADD COLUMN count_garm INTEGER;
ALTER TABLE reply ADD COLUMN count_tyr INTEGER;
ALTER TABLE reply ADD COLUMN count_idun INTEGER;
ALTER TABLE reply ADD COLUMN count_eir INTEGER;
ALTER TABLE reply ADD COLUMN count_freya INTEGER;
ALTER TABLE reply ADD COLUMN count_baldur INTEGER;
ALTER TABLE reply ADD COLUMN count_chaos INTEGER;
ALTER TABLE reply ADD COLUMN count_thor INTEGER;
ALTER TABLE reply ADD COLUMN count_bijou INTEGER;
ALTER TABLE reply ADD COLUMN count_ses INTEGER;
ALTER TABLE reply ADD COLUMN count_sara INTEGER;
ALTER TABLE reply ADD COLUMN count_fenrir INTEGER;
ALTER TABLE reply ADD COLUMN count_loki INTEGER;
ALTER TABLE reply ADD COLUMN count_lydia INTEGER;
ALTER TABLE reply ADD COLUMN count_tiamet INTEGER;
ALTER TABLE reply ADD COLUMN count_lisa INTEGER;
ALTER TABLE reply ADD COLUMN count_odin INTEGER;
ALTER TABLE reply ADD COLUMN count_heimdal INTEGER;
ALTER TABLE reply ADD COLUMN count_iris INTEGER;
ALTER TABLE reply ADD COLUMN count_urdr INTEGER;
)sql",
     FillReplyViews},
    {3, R"sql(
CREATE TABLE world (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE
);
ALTER TABLE reply ADD COLUMN records BLOB NOT NULL DEFAULT x'';
)sql",
     FillRecordBlobs, "DROP TABLE reply_record;"},
}};

bool IsDamage(int code) {
  return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

// Every schema object of `db` as "type name table sql", sorted; nullopt when it cannot be read.
std::optional<QStringList> SchemaObjects(sqlite3* db) {
  const Stmt query = Prepare(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema");
  if (!query) return std::nullopt;
  QStringList objects;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(query.get())) == SQLITE_ROW) {
    objects.append(QStringList{ColumnText(query.get(), 0), ColumnText(query.get(), 1),
                               ColumnText(query.get(), 2), ColumnText(query.get(), 3)}
                       .join(u'\x1f'));
  }
  if (code != SQLITE_DONE) return std::nullopt;
  objects.sort();
  return objects;
}

// The schema objects that Dorvex's steps make, for each version: built once in memory.
const std::vector<QStringList>& OurSchemas() {
  static const std::vector<QStringList> schemas = [] {
    std::vector<QStringList> byVersion{QStringList{}};
    sqlite3* raw = nullptr;
    sqlite3_open(":memory:", &raw);
    const Db db(raw);
    for (const HistorySchemaStep& step : kSteps) {
      Exec(db.get(), step.sql);
      if (step.after != nullptr) Exec(db.get(), step.after);
      byVersion.push_back(SchemaObjects(db.get()).value_or(QStringList{}));
    }
    return byVersion;
  }();
  return schemas;
}

}  // namespace

std::span<const HistorySchemaStep> HistorySchemaSteps() {
  return kSteps;
}

HistoryFileCheck JudgeHistoryHeader(std::int64_t applicationId, std::int64_t version,
                                    std::int64_t objects, int currentVersion) {
  if (applicationId == 0 && version == 0 && objects == 0) return {HistoryFileKind::kEmpty, 0, {}};
  if (applicationId != kHistoryApplicationId) {
    return {HistoryFileKind::kForeign, 0,
            QStringLiteral("is another program's database, not a Dorvex history")};
  }
  if (version > currentVersion) {
    return {HistoryFileKind::kNewer, static_cast<int>(version),
            QStringLiteral("was written by a newer Dorvex (history version %1; this one knows up "
                           "to %2)")
                .arg(version)
                .arg(currentVersion)};
  }
  return {HistoryFileKind::kOurs, static_cast<int>(version), {}};
}

bool SchemaIsOurs(sqlite3* db, int version, QString& reason) {
  const std::optional<QStringList> objects = SchemaObjects(db);
  if (!objects) {
    reason = QStringLiteral("cannot be read: ") + ErrorText(db);
    return false;
  }
  const std::vector<QStringList>& ours = OurSchemas();
  if (version >= 0 && static_cast<std::size_t>(version) < ours.size() &&
      *objects == ours[static_cast<std::size_t>(version)]) {
    return true;
  }
  reason = QStringLiteral(
      "has tables, columns, views or triggers that a Dorvex history does not have, or lacks some");
  return false;
}

HistoryFileCheck CheckHistoryFile(const QString& path, int currentVersion, bool forWriting) {
  const QFileInfo info(path);
  if (info.isDir()) return {HistoryFileKind::kForeign, 0, QStringLiteral("is a folder")};
  if (const QString untrusted = UntrustedPathReason(path); !untrusted.isEmpty()) {
    return {HistoryFileKind::kForeign, 0, untrusted};
  }
  if (forWriting) {
    if (!info.absoluteDir().exists()) {
      return {HistoryFileKind::kBusy, 0,
              QStringLiteral("its folder %1 does not exist").arg(info.absolutePath())};
    }
    for (const QString& name : {info.absolutePath(), path}) {
      if ((name == path && !info.exists()) ||
          access(QFile::encodeName(name).constData(), W_OK) == 0) {
        continue;
      }
      return {HistoryFileKind::kBusy, 0,
              errno == EROFS
                  ? QStringLiteral("the file system of the file is read-only")
                  : QStringLiteral("the file or its folder cannot be written (permission denied)")};
    }
  }
  if (!info.exists()) return {HistoryFileKind::kMissing, 0, {}};
  if (info.size() == 0) return {HistoryFileKind::kEmpty, 0, {}};

  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return {HistoryFileKind::kBusy, 0, QStringLiteral("cannot be read: ") + file.errorString()};
  }
  const QByteArray magic = file.read(16);
  file.close();
  if (magic != QByteArray("SQLite format 3", 16)) {
    return {HistoryFileKind::kForeign, 0, QStringLiteral("is not an SQLite database")};
  }

  int code = SQLITE_OK;
  QString message;
  const Db db = OpenDb(path, SQLITE_OPEN_READONLY, code, message);
  if (!db) return {HistoryFileKind::kBusy, 0, QStringLiteral("cannot be opened: ") + message};
  sqlite3_busy_timeout(db.get(), kHistoryBusyTimeoutMs);
  std::int64_t applicationId = 0, version = 0, tables = 0;
  if (!QueryInt(db.get(), "PRAGMA application_id", applicationId) ||
      !QueryInt(db.get(), "PRAGMA user_version", version) ||
      !QueryInt(db.get(), "SELECT count(*) FROM sqlite_master", tables)) {
    const int error = sqlite3_errcode(db.get());
    if (IsDamage(error)) {
      return {HistoryFileKind::kCorrupt, 0, QStringLiteral("is damaged: ") + ErrorText(db.get())};
    }
    // A schema that does not even load (a view or trigger that SQL of ours never wrote) is not
    // ours.
    if (error == SQLITE_ERROR) {
      return {
          HistoryFileKind::kForeign, 0,
          QStringLiteral("has tables, columns, views or triggers that a Dorvex history does not "
                         "have (") +
              ErrorText(db.get()) + u')'};
    }
    return {HistoryFileKind::kBusy, 0, QStringLiteral("cannot be read: ") + ErrorText(db.get())};
  }
  const HistoryFileCheck judged =
      JudgeHistoryHeader(applicationId, version, tables, currentVersion);
  if (judged.kind != HistoryFileKind::kOurs) return judged;
  QString reason;
  if (!SchemaIsOurs(db.get(), judged.version, reason)) {
    return {
        IsDamage(sqlite3_errcode(db.get())) ? HistoryFileKind::kCorrupt : HistoryFileKind::kForeign,
        0, reason};
  }
  // The full check reads every page, which takes long on a large history: only before writing.
  // A read meets damage in the pages it needs and fails with SQLite's reason then.
  if (!forWriting) return {HistoryFileKind::kOurs, static_cast<int>(version), {}};
  const Stmt check = Prepare(db.get(), "PRAGMA quick_check");
  const bool stepped = check && sqlite3_step(check.get()) == SQLITE_ROW;
  const QString verdict = stepped ? ColumnText(check.get(), 0) : ErrorText(db.get());
  if (!stepped || verdict != u"ok") {
    const int error = sqlite3_errcode(db.get());
    if (!stepped && !IsDamage(error)) {
      return {HistoryFileKind::kBusy, 0, QStringLiteral("cannot be read: ") + verdict};
    }
    return {HistoryFileKind::kCorrupt, 0, QStringLiteral("is damaged: ") + verdict};
  }
  // Values longer than Dorvex writes are planted: refused before anything is added to them.
  std::int64_t planted = 0;
  const QByteArray lengths =
      QByteArray("SELECT EXISTS (SELECT 1 FROM ") +
      (version < 3 ? "reply_record WHERE length(CAST(world" : "world WHERE length(CAST(name") +
      " AS BLOB)) > 256) OR EXISTS (SELECT 1 FROM reply WHERE length(CAST(local_time || adapter "
      "|| server_address AS BLOB)) > 1024)";
  if (!QueryInt(db.get(), lengths.constData(), planted) || planted != 0) {
    return {HistoryFileKind::kForeign, 0,
            QStringLiteral("holds values longer than a Dorvex history does")};
  }
  return {HistoryFileKind::kOurs, static_cast<int>(version), {}};
}

}  // namespace dorvex
