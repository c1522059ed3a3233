#pragma once
// A reply's records as history version 3 keeps them: each world name once in the world table
// (id, name), and per reply one BLOB in its row holding, in reply order, each record's world id
// and count as two unsigned LEB128 varints (7 bits a byte, low bits first, the high bit set on
// every byte but the last). 24 records take ~70 bytes instead of ~1.2 KB of rows and index.

#include <sqlite3.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

#include "history/sqlite_db.h"
#include "tally/world_list_reader.h"

namespace dorvex::history_detail {

// The ids of world names in one connection's world table, for writing: a name the table lacks is
// added, inside the caller's write transaction. Remembers the ids it has seen, so it must be
// dropped when that transaction rolls back.
class WorldIds {
 public:
  explicit WorldIds(sqlite3* db);
  bool Prepared() const { return select_ && insert_; }
  // The id of `name`; nullopt on an SQLite error (see sqlite3_errcode).
  std::optional<sqlite3_int64> IdOf(const QString& name);

 private:
  sqlite3* db_;
  Stmt select_;
  Stmt insert_;
  QHash<QString, sqlite3_int64> known_;
};

// Appends one record to a reply's BLOB.
void AppendRecord(QByteArray& blob, sqlite3_int64 worldId, std::uint16_t count);

// The BLOB of `records`; nullopt on an SQLite error while naming a world.
std::optional<QByteArray> RecordsBlob(const std::vector<DecodedRecord>& records, WorldIds& ids);

// Every world name of `db` by id, for reading; nullopt on an SQLite error.
using WorldNames = QHash<sqlite3_int64, QString>;
std::optional<WorldNames> ReadWorldNames(sqlite3* db);

// The records of `blob`; nullopt when Dorvex did not write it so (cut short, a world id without
// a name, a count beyond 16 bits).
std::optional<std::vector<DecodedRecord>> DecodeRecords(QByteArrayView blob,
                                                        const WorldNames& names);

// A record as the BLOB holds it.
struct StoredRecord {
  sqlite3_int64 worldId = 0;
  std::uint16_t count = 0;
};
// The records of `blob` into `records` (emptied first), their ids unchecked; false when the BLOB
// is cut short or holds a count beyond 16 bits.
bool DecodeStoredRecords(QByteArrayView blob, std::vector<StoredRecord>& records);

// Fills each reply's BLOB from reply_record (version 2 to 3), one reply at a time, inside the
// caller's transaction. False on an SQLite error (see sqlite3_errcode).
bool FillRecordBlobs(sqlite3* db);

}  // namespace dorvex::history_detail
