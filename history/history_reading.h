#pragma once
// What the history's readers share: a read-only connection to a history this build can read, a
// query over a range of capture times, and the text of a failed read.

#include <QDateTime>
#include <QString>

#include <QByteArrayView>
#include <functional>

#include "history/history_read.h"
#include "history/reply_records.h"
#include "history/sqlite_db.h"

namespace dorvex::history_detail {

// The range's ends as milliseconds since 1970 UTC, open ends as the extremes.
qint64 RangeSinceMs(const HistoryRange& range);
qint64 RangeUntilMs(const HistoryRange& range);

// "<path>: <SQLite's reason>", the text of a failed read.
QString ReadErrorText(const QString& path, sqlite3* db);

// A read-only connection to a Dorvex history of the current version; null with `error` naming the
// file and the reason otherwise.
Db OpenForReading(const QString& path, QString& error);

// `sql` prepared with the range's ends bound to ?1 (since) and ?2 (until); null with `error`.
Stmt PrepareRangeQuery(sqlite3* db, const char* sql, const HistoryRange& range, const QString& path,
                       QString& error);

QDateTime UtcTimeAt(sqlite3_stmt* statement, int column);

// A reply as the file keeps it, valid during its visit: its row, its local time's text (UTF-8)
// and its records BLOB.
struct StoredReply {
  qint64 id = 0;
  QByteArrayView localTime;
  QByteArrayView records;
};

// As ForEachHistoryReply, without decoding: `start` gets the file's world names (the BLOBs'
// world ids), then `visit` each reply of `range`, returning false when its records cannot be
// read (the read fails as damaged).
bool ForEachStoredReply(const QString& path, const HistoryRange& range,
                        const std::function<void(const WorldNames&)>& start,
                        const std::function<bool(const StoredReply&)>& visit, QString& error);

}  // namespace dorvex::history_detail
