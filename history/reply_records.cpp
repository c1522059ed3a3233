#include "history/reply_records.h"

#include <limits>

namespace dorvex::history_detail {

namespace {

void PutVarint(QByteArray& out, std::uint64_t value) {
  while (value >= 0x80) {
    out.append(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out.append(static_cast<char>(value));
}

// The varint at `at`, which moves past it; false when the BLOB ends inside it or it is longer
// than 64 bits.
bool GetVarint(QByteArrayView in, qsizetype& at, std::uint64_t& value) {
  value = 0;
  for (int shift = 0; shift < 64 && at < in.size(); shift += 7) {
    const auto byte = static_cast<unsigned char>(in[at++]);
    value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}

}  // namespace

WorldIds::WorldIds(sqlite3* db)
    : db_(db),
      select_(Prepare(db, "SELECT id FROM world WHERE name = ?1")),
      insert_(Prepare(db, "INSERT INTO world (name) VALUES (?1)")) {}

std::optional<sqlite3_int64> WorldIds::IdOf(const QString& name) {
  if (const auto found = known_.constFind(name); found != known_.cend()) return *found;
  // Another instance may have added the name since: look before adding.
  BindText(select_.get(), 1, name);
  int code = sqlite3_step(select_.get());
  std::optional<sqlite3_int64> id;
  if (code == SQLITE_ROW) id = sqlite3_column_int64(select_.get(), 0);
  sqlite3_reset(select_.get());
  if (code != SQLITE_ROW && code != SQLITE_DONE) return std::nullopt;
  if (!id) {
    BindText(insert_.get(), 1, name);
    code = sqlite3_step(insert_.get());
    sqlite3_reset(insert_.get());
    if (code != SQLITE_DONE) return std::nullopt;
    id = sqlite3_last_insert_rowid(db_);
  }
  known_.insert(name, *id);
  return id;
}

void AppendRecord(QByteArray& blob, sqlite3_int64 worldId, std::uint16_t count) {
  PutVarint(blob, static_cast<std::uint64_t>(worldId));
  PutVarint(blob, count);
}

std::optional<QByteArray> RecordsBlob(const std::vector<DecodedRecord>& records, WorldIds& ids) {
  QByteArray blob;
  for (const DecodedRecord& record : records) {
    const std::optional<sqlite3_int64> id = ids.IdOf(record.name);
    if (!id) return std::nullopt;
    AppendRecord(blob, *id, record.count);
  }
  return blob;
}

std::optional<WorldNames> ReadWorldNames(sqlite3* db) {
  const Stmt query = Prepare(db, "SELECT id, name FROM world");
  if (!query) return std::nullopt;
  WorldNames names;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(query.get())) == SQLITE_ROW) {
    names.insert(sqlite3_column_int64(query.get(), 0), ColumnText(query.get(), 1));
  }
  if (code != SQLITE_DONE) return std::nullopt;
  return names;
}

bool DecodeStoredRecords(QByteArrayView blob, std::vector<StoredRecord>& records) {
  records.clear();
  qsizetype at = 0;
  while (at < blob.size()) {
    std::uint64_t id = 0, count = 0;
    if (!GetVarint(blob, at, id) || !GetVarint(blob, at, count) ||
        count > std::numeric_limits<std::uint16_t>::max()) {
      return false;
    }
    records.push_back({static_cast<sqlite3_int64>(id), static_cast<std::uint16_t>(count)});
  }
  return true;
}

std::optional<std::vector<DecodedRecord>> DecodeRecords(QByteArrayView blob,
                                                        const WorldNames& names) {
  std::vector<StoredRecord> stored;
  if (!DecodeStoredRecords(blob, stored)) return std::nullopt;
  std::vector<DecodedRecord> records;
  records.reserve(stored.size());
  for (const StoredRecord& record : stored) {
    const auto name = names.constFind(record.worldId);
    if (name == names.cend()) return std::nullopt;
    records.push_back({*name, record.count});
  }
  return records;
}

bool FillRecordBlobs(sqlite3* db) {
  WorldIds ids(db);
  const Stmt select =
      Prepare(db, "SELECT reply_id, world, count FROM reply_record ORDER BY reply_id, position");
  const Stmt update = Prepare(db, "UPDATE reply SET records = ?2 WHERE id = ?1");
  if (!ids.Prepared() || !select || !update) return false;
  sqlite3_int64 replyId = 0;
  QByteArray blob;
  const auto write = [&] {
    if (blob.isEmpty()) return true;
    sqlite3_bind_int64(update.get(), 1, replyId);
    sqlite3_bind_blob(update.get(), 2, blob.constData(), static_cast<int>(blob.size()),
                      SQLITE_STATIC);
    const int stepped = sqlite3_step(update.get());
    sqlite3_reset(update.get());
    return stepped == SQLITE_DONE;
  };
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(select.get())) == SQLITE_ROW) {
    sqlite3_stmt* row = select.get();
    const sqlite3_int64 id = sqlite3_column_int64(row, 0);
    if (id != replyId) {
      if (!write()) return false;
      replyId = id;
      blob.clear();
    }
    const std::optional<sqlite3_int64> worldId = ids.IdOf(ColumnText(row, 1));
    if (!worldId) return false;
    // As the version-2 reader read it.
    AppendRecord(blob, *worldId, static_cast<std::uint16_t>(sqlite3_column_int(row, 2)));
  }
  return code == SQLITE_DONE && write();
}

}  // namespace dorvex::history_detail
