#include "history/record_counts.h"

#include <cstring>
#include <limits>

namespace dorvex::history_detail {

namespace {

// Sequences of names kept at most; a file with more starts over (they are few in practice).
constexpr std::size_t kMostLayouts = 1024;

// Positions must fit the 16-bit counts of the probing reply; a BLOB of kMaxValueBytes holds at
// most half as many records.
constexpr std::size_t kMostRecords = std::numeric_limits<std::uint16_t>::max();

}  // namespace

// The layout of records_' names: from the counts of a reply whose record i counts i + 1.
const RecordCounts::Layout* RecordCounts::LayoutOfRecords() {
  key_.resize(records_.size() * sizeof(sqlite3_int64));
  for (std::size_t i = 0; i < records_.size(); ++i) {
    std::memcpy(&key_[i * sizeof(sqlite3_int64)], &records_[i].worldId, sizeof(sqlite3_int64));
  }
  if (const auto found = layouts_.find(key_); found != layouts_.end()) return &found->second;
  if (records_.size() > kMostRecords) return nullptr;
  std::vector<DecodedRecord> probe;
  probe.reserve(records_.size());
  for (std::size_t i = 0; i < records_.size(); ++i) {
    const auto name = names_.constFind(records_[i].worldId);
    if (name == names_.cend()) return nullptr;
    probe.push_back({*name, static_cast<std::uint16_t>(i + 1)});
  }
  const FieldCounts probed = CountsOfReply(probe);
  Layout layout;
  for (std::size_t i = 0; i < kWorldTableSize; ++i) {
    layout.worldFrom[i] = probed.worlds[i] == kNotMeasured ? -1 : probed.worlds[i] - 1;
  }
  layout.freeName = probed.freeName;
  layout.freeFrom = probed.freeCount == kNotMeasured ? -1 : probed.freeCount - 1;
  for (std::size_t i = 0; i < probe.size(); ++i) {
    if (UnlistedTotal({probe[i]})) layout.unlisted.push_back(static_cast<int>(i));
  }
  if (layouts_.size() >= kMostLayouts) layouts_.clear();
  return &layouts_.emplace(key_, std::move(layout)).first->second;
}

bool RecordCounts::Read(QByteArrayView blob, FieldCounts& counts,
                        std::optional<std::int64_t>& other) {
  if (!DecodeStoredRecords(blob, records_)) return false;
  const Layout* layout = LayoutOfRecords();
  if (!layout) return false;
  const auto countFrom = [&](int position) {
    return position < 0 ? kNotMeasured
                        : std::int32_t{records_[static_cast<std::size_t>(position)].count};
  };
  for (std::size_t i = 0; i < kWorldTableSize; ++i)
    counts.worlds[i] = countFrom(layout->worldFrom[i]);
  counts.freeName = layout->freeName;
  counts.freeCount = countFrom(layout->freeFrom);
  counts.totals = SumTotals(counts);
  other.reset();
  for (const int position : layout->unlisted) {
    other = other.value_or(0) + records_[static_cast<std::size_t>(position)].count;
  }
  return true;
}

}  // namespace dorvex::history_detail
