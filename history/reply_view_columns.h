#pragma once
// The reply table's columns of the report's view of each reply (history version 2): the ten
// totals and each world's count field. Binding a reply's counts to a statement, reading a
// summary back, and computing the view of every reply of a file that had none.

#include <sqlite3.h>

#include <QByteArray>

#include "history/reply_summary.h"
#include "tally/field_counts.h"

namespace dorvex::history_detail {

// The ten totals (grand, group 1..4, generation 1..5), then one count per world of the table.
inline constexpr int kReplyViewColumnCount = 10 + static_cast<int>(kWorldTableSize);
// Their names, comma separated, in that order.
const QByteArray& ReplyViewColumns();
// The same for reading them back: an empty count field (NULL) reads as kNotMeasured.
const QByteArray& ReplyViewReadColumns();

// "?first, ?first+1, ..." for the view's columns.
QByteArray ReplyViewPlaceholders(int first);

// Binds the view of `counts` to the parameters from `first` on; an empty count field is NULL.
void BindReplyView(sqlite3_stmt* statement, int first, const FieldCounts& counts);
// The view in the columns (ReplyViewReadColumns) from `first` on into `summary`.
void ColumnReplyView(sqlite3_stmt* statement, int first, ReplySummary& summary);

// Computes the view of every reply of `db` from its records and writes it, inside the caller's
// transaction. False on an SQLite error (see sqlite3_errcode).
bool FillReplyViews(sqlite3* db);

}  // namespace dorvex::history_detail
