#include "history/history_csv.h"

#include <QStringList>

#include "tally/field_counts.h"
#include "tally/world_table.h"

namespace dorvex {

namespace {

// A field as CSV: quoted when it holds a comma, a quote or a line break.
QString CsvField(const QString& text) {
  if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
      !text.contains(u'\r')) {
    return text;
  }
  QString quoted = text;
  quoted.replace(u'"', QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}

QString CsvLine(const QStringList& fields) {
  QStringList escaped;
  for (const QString& field : fields) escaped.append(CsvField(field));
  return escaped.join(u',') + QStringLiteral("\r\n");
}

}  // namespace

QString HistoryCsvHeader() {
  QStringList columns{QStringLiteral("time")};
  for (const WorldStrings& world : WorldStringTable()) columns.append(world.name);
  columns.append(QStringLiteral("other"));
  for (int g = 1; g <= 4; ++g) columns.append(QStringLiteral("group %1").arg(g));
  for (int g = 1; g <= 5; ++g) columns.append(QStringLiteral("generation %1").arg(g));
  columns.append(QStringLiteral("total"));
  return CsvLine(columns);
}

QString HistoryCsvRow(const HistoryReply& reply) {
  const FieldCounts counts = CountsOfReply(reply.records);
  const Totals& totals = counts.totals;
  const QDateTime local = reply.localTime.toOffsetFromUtc(reply.localTime.offsetFromUtc());
  QStringList row{local.toString(Qt::ISODate)};
  for (const std::int32_t count : counts.worlds) {
    row.append(count == kNotMeasured ? QString() : QString::number(count));
  }
  const std::optional<std::int64_t> other = UnlistedTotal(reply.records);
  row.append(other ? QString::number(*other) : QString());
  for (const std::int64_t total : totals.group) row.append(QString::number(total));
  for (const std::int64_t total : totals.generation) row.append(QString::number(total));
  row.append(QString::number(totals.grand));
  return CsvLine(row);
}

bool WriteHistoryCsv(const QString& path, const HistoryRange& range, QIODevice& out,
                     QString& error) {
  bool written = out.write(HistoryCsvHeader().toUtf8()) >= 0;
  const bool read = ForEachHistoryReply(
      path, range,
      [&](const HistoryReply& reply) {
        if (written) written = out.write(HistoryCsvRow(reply).toUtf8()) >= 0;
      },
      error);
  if (read && !written) error = QStringLiteral("cannot write the CSV: ") + out.errorString();
  return read && written;
}

}  // namespace dorvex
