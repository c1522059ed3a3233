#pragma once
// The report's view of one reply as the history keeps it beside the reply: the ten totals and the
// count field of each world of the table. Computed by the report's own code (ReplyFields and
// CalcTotals), so that a summary read back from the file is what the report shows.

#include <array>
#include <cstdint>
#include <vector>

#include "tally/count_text.h"
#include "tally/totals.h"
#include "tally/world_list_reader.h"

namespace dorvex {

inline constexpr std::size_t kViewWorldCount = 24;      // the worlds of the table
inline constexpr std::int32_t kNoCount = kNotMeasured;  // the world's count field stays empty

struct ReplyView {
  Totals totals;
  // The count field of each world of the table, in table order; kNoCount when empty.
  std::array<std::int32_t, kViewWorldCount> worlds{};
};

ReplyView ViewOfReply(const std::vector<DecodedRecord>& records);

}  // namespace dorvex
