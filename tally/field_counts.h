#pragma once
// The count fields as numbers: each world's count, the free row and the ten totals, read by the
// count-text rule and summed by the totals' rules. The report renders from it, and the history
// keeps it beside each reply, so that neither parses count texts of its own.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "tally/count_text.h"
#include "tally/field_access.h"
#include "tally/totals.h"
#include "tally/world_list_reader.h"
#include "tally/world_table.h"

namespace dorvex {

struct FieldCounts {
  // Each world's count field in table order; kNotMeasured when it is empty or does not read.
  std::array<std::int32_t, kWorldTableSize> worlds{};
  QString freeName;                       // the free row's name, exactly as it stands
  std::int32_t freeCount = kNotMeasured;  // the free row's count field
  Totals totals;
};

// The window's count fields at this moment.
FieldCounts ReadFieldCounts(const FieldAccess& fields);

// The ten totals of the worlds' counts and the free row of `counts` (its totals aside).
Totals SumTotals(const FieldCounts& counts);

// The count fields that `records` alone leave: what ShowCounts writes into empty fields from a
// count store that holds only this reply.
FieldCounts CountsOfReply(const std::vector<DecodedRecord>& records);

// The summed counts of the records that have no count field of their own (they reach only the
// free row); none when every record has one.
std::optional<std::int64_t> UnlistedTotal(const std::vector<DecodedRecord>& records);

}  // namespace dorvex
