#pragma once
// The reply view's columns of the reply table (history version 2): binding a view to a statement,
// reading one back, and computing the view of every reply of a file that had none.

#include <sqlite3.h>

#include <QByteArray>

#include "history/reply_view.h"

namespace dorvex::history_detail {

// The ten totals (grand, group 1..4, generation 1..5), then one count per world of the table.
inline constexpr int kReplyViewColumnCount = 10 + static_cast<int>(kViewWorldCount);
// Their names, comma separated, in that order.
extern const char* const kReplyViewColumns;

// "?first, ?first+1, ..." for the view's columns.
QByteArray ReplyViewPlaceholders(int first);

// Binds `view` to the parameters from `first` on; an empty count field is NULL.
void BindReplyView(sqlite3_stmt* statement, int first, const ReplyView& view);
// The view in the columns from `first` on; NULL is an empty count field.
ReplyView ColumnReplyView(sqlite3_stmt* statement, int first);

// Computes the view of every reply of `db` from its records and writes it, inside the caller's
// transaction. False on an SQLite error (see sqlite3_errcode).
bool FillReplyViews(sqlite3* db);

}  // namespace dorvex::history_detail
