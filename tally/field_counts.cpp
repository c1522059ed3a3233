#include "tally/field_counts.h"

#include "tally/count_store.h"
#include "tally/count_text.h"
#include "tally/memory_fields.h"

namespace dorvex {

FieldCounts ReadFieldCounts(const FieldAccess& fields) {
  FieldCounts counts;
  const auto worlds = WorldTable();
  const auto strings = WorldStringTable();
  Totals& totals = counts.totals;
  for (std::size_t i = 0; i < kWorldTableSize; ++i) {
    const World& world = worlds[i];
    const std::int32_t count = CountOf(fields.TextOf(strings[i].fieldName));
    counts.worlds[i] = count;
    // Groups and generations count from 1 in the table; 0 has no total of its own.
    std::int64_t* group = world.group == kPvpGroup
                              ? nullptr
                              : &totals.group.at(static_cast<std::size_t>(world.group - 1));
    std::int64_t* generation =
        world.generation == kNoGeneration
            ? nullptr
            : &totals.generation.at(static_cast<std::size_t>(world.generation - 1));
    AddCount(count, {group, generation, &totals.grand});
  }
  counts.freeName = fields.TextOf(TempServerNameFieldString());
  counts.freeCount = CountOf(fields.TextOf(TempServerQtyFieldString()));
  // The free row counts only under a name.
  if (!counts.freeName.isEmpty()) {
    AddCount(counts.freeCount, {&totals.group.at(kTempServerGroup - 1), &totals.grand});
  }
  return counts;
}

FieldCounts CountsOfReply(const std::vector<DecodedRecord>& records) {
  CountStore store;
  for (const DecodedRecord& record : records) store.SetCount(record.name, record.count);
  MemoryFieldSet fields;
  ShowCounts(store, fields);
  return ReadFieldCounts(fields);
}

std::optional<std::int64_t> UnlistedTotal(const std::vector<DecodedRecord>& records) {
  static const MemoryFieldSet fields;
  std::optional<std::int64_t> total;
  for (const DecodedRecord& record : records) {
    if (CountFieldOf(fields, record.name) == FieldAccess::kNoField) {
      total = total.value_or(0) + record.count;
    }
  }
  return total;
}

}  // namespace dorvex
