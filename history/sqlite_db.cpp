#include "history/sqlite_db.h"

#include <QFile>

namespace dorvex::history_detail {

Db OpenDb(const QString& path, int flags, int& code, QString& message) {
  sqlite3* raw = nullptr;
  code = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
  Db db(raw);
  if (code != SQLITE_OK) {
    message = raw != nullptr ? ErrorText(raw) : QString::fromUtf8(sqlite3_errstr(code));
    return nullptr;
  }
  sqlite3_extended_result_codes(raw, 0);
  // A file may come from someone else: nothing in it may run or grow without bound.
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
  sqlite3_limit(raw, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
  return db;
}

Stmt Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK)
    return nullptr;
  return Stmt(statement);
}

int Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

bool QueryInt(sqlite3* db, const char* sql, std::int64_t& value) {
  const Stmt statement = Prepare(db, sql);
  if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW) return false;
  value = sqlite3_column_int64(statement.get(), 0);
  return true;
}

QString ErrorText(sqlite3* db) {
  return QString::fromUtf8(sqlite3_errmsg(db));
}

void BindText(sqlite3_stmt* statement, int index, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  sqlite3_bind_text(statement, index, utf8.constData(), static_cast<int>(utf8.size()),
                    SQLITE_TRANSIENT);
}

QString ColumnText(sqlite3_stmt* statement, int column) {
  const QByteArrayView text = ColumnUtf8(statement, column);
  return QString::fromUtf8(text.data(), text.size());
}

QByteArrayView ColumnUtf8(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return QByteArrayView(text, sqlite3_column_bytes(statement, column));
}

}  // namespace dorvex::history_detail
