#include "window/history/reply_summary.h"

#include <limits>
#include <utility>

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

}  // namespace

std::int32_t PvpCount(const ReplySummary& summary) {
  return summary.worlds[PvpWorldIndex()];
}

std::optional<std::vector<ReplySummary>> ReadReplySummaries(const QString& path,
                                                            const HistoryRange& range,
                                                            QString& error) {
  std::vector<ReplySummary> summaries;
  const bool read = ForEachReplySummary(
      path, range,
      [&](const HistoryReplySummary& reply) {
        const int sameMsIndex =
            !summaries.empty() && summaries.back().captureMs == reply.captureUtcMs
                ? summaries.back().sameMsIndex + 1
                : 0;
        summaries.push_back({reply.captureUtcMs, sameMsIndex, reply.localTime, reply.view.totals,
                             reply.view.worlds});
      },
      error);
  if (!read) return std::nullopt;
  return summaries;
}

std::vector<ReplySummary> MergeNewerSummaries(const std::vector<ReplySummary>& shown,
                                              std::vector<ReplySummary> newer,
                                              const QDateTime& since) {
  const qint64 from =
      since.isNull() ? std::numeric_limits<qint64>::min() : since.toMSecsSinceEpoch();
  const qint64 newerFrom =
      shown.empty() ? std::numeric_limits<qint64>::max() : shown.back().captureMs;
  std::vector<ReplySummary> merged;
  merged.reserve(shown.size() + newer.size());
  for (const ReplySummary& summary : shown) {
    if (summary.captureMs >= from && summary.captureMs < newerFrom) merged.push_back(summary);
  }
  for (ReplySummary& summary : newer) {
    if (summary.captureMs >= from) merged.push_back(std::move(summary));
  }
  return merged;
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
