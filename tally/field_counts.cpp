#include "tally/field_counts.h"

#include "tally/count_store.h"
#include "tally/count_text.h"
#include "tally/memory_fields.h"

namespace dorvex {

FieldCounts ReadFieldCounts(const FieldAccess& fields) {
  FieldCounts counts;
  const auto strings = WorldStringTable();
  for (std::size_t i = 0; i < kWorldTableSize; ++i) {
    counts.worlds[i] = CountOf(fields.TextOf(strings[i].fieldName));
  }
  counts.freeName = fields.TextOf(TempServerNameFieldString());
  counts.freeCount = CountOf(fields.TextOf(TempServerQtyFieldString()));
  counts.totals = SumTotals(counts);
  return counts;
}

Totals SumTotals(const FieldCounts& counts) {
  Totals totals;
  const auto worlds = WorldTable();
  for (std::size_t i = 0; i < kWorldTableSize; ++i) {
    const World& world = worlds[i];
    // Groups and generations count from 1 in the table; 0 has no total of its own.
    std::int64_t* group = world.group == kPvpGroup
                              ? nullptr
                              : &totals.group.at(static_cast<std::size_t>(world.group - 1));
    std::int64_t* generation =
        world.generation == kNoGeneration
            ? nullptr
            : &totals.generation.at(static_cast<std::size_t>(world.generation - 1));
    AddCount(counts.worlds[i], {group, generation, &totals.grand});
  }
  // The free row counts only under a name.
  if (!counts.freeName.isEmpty()) {
    AddCount(counts.freeCount, {&totals.group.at(kTempServerGroup - 1), &totals.grand});
  }
  return totals;
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
