#include "window/history/reply_summary.h"

#include "history/history_reply.h"
#include "tally/world_table.h"

namespace dorvex {

namespace {

std::size_t PvpWorldIndex() {
  static const std::size_t index = [] {
    const auto table = WorldTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
      if (table[i].group == kPvpGroup) return i;
    }
    return std::size_t{0};
  }();
  return index;
}

std::int32_t FieldCount(const QString& text) {
  bool ok = false;
  const int count = text.toInt(&ok);
  return ok ? count : kNoCount;
}

}  // namespace

std::int32_t PvpCount(const ReplySummary& summary) {
  return summary.worlds[PvpWorldIndex()];
}

ReplySummary SummarizeReply(const HistoryReply& reply, int sameMsIndex) {
  ReplySummary summary;
  summary.captureMs = reply.captureTimeUtc.toMSecsSinceEpoch();
  summary.sameMsIndex = sameMsIndex;
  summary.localTime = reply.localTime;
  summary.totals = ReplyTotals(reply.records);
  // The world counts through the report's count fields, so a name in other letter case counts
  // for its world exactly as in the report.
  const MemoryFieldSet fields = ReplyFields(reply.records);
  const auto worlds = WorldStringTable();
  for (std::size_t i = 0; i < kTableWorldCount && i < worlds.size(); ++i) {
    summary.worlds[i] = FieldCount(fields.TextOf(worlds[i].fieldName));
  }
  return summary;
}

std::optional<std::vector<ReplySummary>> ReadReplySummaries(const QString& path,
                                                            const HistoryRange& range,
                                                            QString& error) {
  std::vector<ReplySummary> summaries;
  const bool read = ForEachHistoryReply(
      path, range,
      [&](const HistoryReply& reply) {
        const qint64 ms = reply.captureTimeUtc.toMSecsSinceEpoch();
        const int sameMsIndex = !summaries.empty() && summaries.back().captureMs == ms
                                    ? summaries.back().sameMsIndex + 1
                                    : 0;
        summaries.push_back(SummarizeReply(reply, sameMsIndex));
      },
      error);
  if (!read) return std::nullopt;
  return summaries;
}

std::optional<HistoryReply> ReadSummarizedReply(const QString& path, qint64 captureMs,
                                                int sameMsIndex, QString& error) {
  const HistoryRange millisecond{QDateTime::fromMSecsSinceEpoch(captureMs, Qt::UTC),
                                 QDateTime::fromMSecsSinceEpoch(captureMs + 1, Qt::UTC)};
  std::optional<HistoryReply> found;
  int index = 0;
  const bool read = ForEachHistoryReply(
      path, millisecond,
      [&](const HistoryReply& reply) {
        if (index++ == sameMsIndex) found = reply;
      },
      error);
  if (!read) return std::nullopt;
  if (!found) error = path + QStringLiteral(" no longer holds the chosen reply");
  return found;
}

}  // namespace dorvex
