#include "history/history_csv.h"

#include <charconv>

#include "history/history_reading.h"
#include "history/offset_time_text.h"
#include "history/record_counts.h"
#include "tally/field_counts.h"
#include "tally/world_table.h"

namespace dorvex {

using namespace history_detail;

namespace {

// A field as CSV: quoted when it holds a comma, a quote or a line break.
void AppendField(QByteArray& out, QByteArrayView text) {
  if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r')) {
    out.append(text);
    return;
  }
  out.append('"');
  for (const char c : text) {
    if (c == '"') out.append('"');
    out.append(c);
  }
  out.append('"');
}

void AppendNumber(QByteArray& out, std::int64_t value) {
  char digits[24];
  const auto end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
  out.append(digits, end - digits);
}

// The rest of a row after its time field: the world columns, "other", the totals, the line end.
void AppendCounts(QByteArray& out, const FieldCounts& counts,
                  const std::optional<std::int64_t>& other) {
  for (const std::int32_t count : counts.worlds) {
    out.append(',');
    if (count != kNotMeasured) AppendNumber(out, count);
  }
  out.append(',');
  if (other) AppendNumber(out, *other);
  for (const std::int64_t total : counts.totals.group) {
    out.append(',');
    AppendNumber(out, total);
  }
  for (const std::int64_t total : counts.totals.generation) {
    out.append(',');
    AppendNumber(out, total);
  }
  out.append(',');
  AppendNumber(out, counts.totals.grand);
  out.append("\r\n");
}

// Rows are written in chunks of about this size (and at every progress step).
constexpr qsizetype kChunkBytes = 1 << 20;

}  // namespace

QString HistoryCsvHeader() {
  QByteArray line;
  AppendField(line, "time");
  const auto append = [&](const QString& column) {
    line.append(',');
    AppendField(line, column.toUtf8());
  };
  for (const WorldStrings& world : WorldStringTable()) append(world.name);
  append(QStringLiteral("other"));
  for (int g = 1; g <= 4; ++g) append(QStringLiteral("group %1").arg(g));
  for (int g = 1; g <= 5; ++g) append(QStringLiteral("generation %1").arg(g));
  append(QStringLiteral("total"));
  line.append("\r\n");
  return QString::fromUtf8(line);
}

QString HistoryCsvRow(const HistoryReply& reply) {
  QByteArray line;
  AppendField(line, OffsetTimeText(reply.localTime).toUtf8());
  AppendCounts(line, CountsOfReply(reply.records), UnlistedTotal(reply.records));
  return QString::fromUtf8(line);
}

bool WriteHistoryCsv(const QString& path, const HistoryRange& range, QIODevice& out, QString& error,
                     const std::function<void(qint64)>& progress, qint64* written) {
  QByteArray chunk = HistoryCsvHeader().toUtf8();
  chunk.reserve(kChunkBytes + 4096);
  bool wrote = true;
  qint64 rows = 0;
  const auto flush = [&] {
    if (wrote && !chunk.isEmpty()) wrote = out.write(chunk) >= 0;
    chunk.clear();
  };
  std::optional<RecordCounts> counter;
  FieldCounts counts;
  std::optional<std::int64_t> other;
  const bool read = ForEachStoredReply(
      path, range, [&](const WorldNames& names) { counter.emplace(names); },
      [&](const StoredReply& reply) {
        if (!counter->Read(reply.records, counts, other)) return false;
        if (IsOffsetTimeText(reply.localTime)) {
          chunk.append(reply.localTime);
        } else {
          AppendField(chunk, OffsetTimeTextOf(reply.localTime));
        }
        AppendCounts(chunk, counts, other);
        ++rows;
        const bool step = rows % kExportProgressStep == 0;
        if (step || chunk.size() >= kChunkBytes) flush();
        if (step && progress) progress(rows);
        return true;
      },
      error);
  if (read) flush();
  if (written) *written = rows;
  if (read && !wrote) error = QStringLiteral("cannot write the CSV: ") + out.errorString();
  return read && wrote;
}

}  // namespace dorvex
