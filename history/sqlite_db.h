#pragma once
// Small owners for SQLite connections and statements, shared by the store and the readers.

#include <sqlite3.h>

#include <QByteArrayView>
#include <QString>
#include <memory>

namespace dorvex::history_detail {

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, DbCloser>;

struct StmtFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

// The longest text or row a history holds: names, times and addresses are short, so a longer
// value is a planted one and fails to read instead of filling the memory.
inline constexpr int kMaxValueBytes = 65536;

// Opens `path` with `flags`, as data only: defensive mode, the schema untrusted, no triggers and no
// views run, values bounded by kMaxValueBytes. On failure the connection is closed, `code` is set
// and null returned.
Db OpenDb(const QString& path, int flags, int& code, QString& message);
Stmt Prepare(sqlite3* db, const char* sql);  // null on failure (see sqlite3_errcode)
int Exec(sqlite3* db, const char* sql);
// The single integer of `sql` (a PRAGMA or count); false when it cannot be read.
bool QueryInt(sqlite3* db, const char* sql, std::int64_t& value);
QString ErrorText(sqlite3* db);
void BindText(sqlite3_stmt* statement, int index, const QString& text);
QString ColumnText(sqlite3_stmt* statement, int column);
// The column's text as UTF-8, valid until the statement steps on.
QByteArrayView ColumnUtf8(sqlite3_stmt* statement, int column);

}  // namespace dorvex::history_detail
