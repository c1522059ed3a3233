#include "bench/history_window/generated_history.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "history/history_store.h"
#include "tally/world_table.h"

namespace dorvex::bench {

namespace {

// Typical evening counts of the worlds, in table order.
constexpr int kEveningCounts[] = {1400, 900, 650, 700, 600, 750, 500, 450, 800, 550, 400, 2100,
                                  1200, 500, 600, 450, 380, 520, 480, 430, 900, 470, 350, 260};

// A small deterministic generator, so that every run writes the same file.
class Noise {
 public:
  double Next() {  // in [-1, 1)
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state_ >> 11) / static_cast<double>(1ULL << 52) - 1.0;
  }

 private:
  std::uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

HistoryReply GeneratedReply(const QDateTime& utc, Noise& noise) {
  const QDateTime local = utc.toOffsetFromUtc(9 * 3600);
  const double hour = local.time().hour() + local.time().minute() / 60.0;
  // Lowest near 07:00, highest near 22:00 local time, a little busier at weekends.
  const double rhythm = 0.55 + 0.4 * std::cos((hour - 22.0) / 24.0 * 2 * std::numbers::pi) +
                        (local.date().dayOfWeek() >= 6 ? 0.1 : 0.0);
  HistoryReply reply{utc, local, QStringLiteral("eth0"), QStringLiteral("10.0.0.1"), 6900, {}};
  const auto worlds = WorldStringTable();
  for (std::size_t i = 0; i < worlds.size(); ++i) {
    const double count =
        kEveningCounts[i % std::size(kEveningCounts)] * rhythm * (1.0 + 0.05 * noise.Next());
    reply.records.push_back({worlds[i].name, static_cast<std::uint16_t>(std::lround(count))});
  }
  return reply;
}

// Replies per RecordAll: one transaction each, and little memory for the records in waiting.
constexpr std::size_t kBatch = 5000;

}  // namespace

bool WriteGeneratedHistory(const QString& path, int replies, const QDateTime& first,
                           int intervalSeconds, QString& error) {
  Noise noise;
  HistoryStore store(path);
  std::vector<HistoryReply> batch;
  for (int i = 0; i < replies; ++i) {
    batch.push_back(GeneratedReply(first.addSecs(static_cast<qint64>(i) * intervalSeconds), noise));
    if ((batch.size() == kBatch || i + 1 == replies) &&
        !store.RecordAll(std::exchange(batch, {}))) {
      error = store.StatusText();
      return false;
    }
  }
  return true;
}

}  // namespace dorvex::bench
