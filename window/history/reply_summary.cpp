#include "window/history/reply_summary.h"

#include <limits>
#include <thread>
#include <utility>

#include "history/history_reply.h"
#include "tally/world_table.h"
#include "window/history/reply_batch_queue.h"

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
  // The report's count fields and totals (ReplyTotals is CalcTotals over these same fields); the
  // world counts read from the fields, so a name in other letter case counts for its world
  // exactly as in the report.
  const MemoryFieldSet fields = ReplyFields(reply.records);
  summary.totals = CalcTotals(fields);
  const auto worlds = WorldStringTable();
  for (std::size_t i = 0; i < kTableWorldCount && i < worlds.size(); ++i) {
    summary.worlds[i] = FieldCount(fields.TextOf(worlds[i].fieldName));
  }
  return summary;
}

// The file is read on a second thread while this one summarizes what was read so far: the two
// take about as long each, so a large range is ready in about half the time.
std::optional<std::vector<ReplySummary>> ReadReplySummaries(const QString& path,
                                                            const HistoryRange& range,
                                                            QString& error) {
  ReplyBatchQueue queue;
  bool read = false;
  std::thread reader([&] {
    std::vector<HistoryReply> batch;
    read = ForEachHistoryReply(
        path, range,
        [&](const HistoryReply& reply) {
          batch.push_back(reply);
          if (batch.size() == ReplyBatchQueue::kBatchSize) queue.Push(std::exchange(batch, {}));
        },
        error);
    if (!batch.empty()) queue.Push(std::move(batch));
    queue.Close();
  });
  std::vector<ReplySummary> summaries;
  while (std::optional<std::vector<HistoryReply>> batch = queue.Pop()) {
    for (const HistoryReply& reply : *batch) {
      const qint64 ms = reply.captureTimeUtc.toMSecsSinceEpoch();
      const int sameMsIndex = !summaries.empty() && summaries.back().captureMs == ms
                                  ? summaries.back().sameMsIndex + 1
                                  : 0;
      summaries.push_back(SummarizeReply(reply, sameMsIndex));
    }
  }
  reader.join();
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
