#pragma once
// A history file of generated replies for the benchmark and the screenshot: every world of the
// table with a count that follows a daily rhythm (quiet mornings, busy evenings) and some noise.
// The replies go in through HistoryStore's batch path (RecordAll, a few thousand replies per
// transaction), which also keeps the report's view of each reply as the window reads it.

#include <QDateTime>
#include <QString>

namespace dorvex::bench {

// Writes `replies` replies to the new file `path`, the first at `first`, one every
// `intervalSeconds`. False with `error` when the file cannot be made.
bool WriteGeneratedHistory(const QString& path, int replies, const QDateTime& first,
                           int intervalSeconds, QString& error);

}  // namespace dorvex::bench
