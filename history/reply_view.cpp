#include "history/reply_view.h"

#include "history/history_reply.h"
#include "tally/count_text.h"
#include "tally/world_table.h"

namespace dorvex {

ReplyView ViewOfReply(const std::vector<DecodedRecord>& records) {
  // The world counts are read from the fields, so a name in other letter case counts for its
  // world exactly as in the report.
  const MemoryFieldSet fields = ReplyFields(records);
  ReplyView view;
  view.totals = CalcTotals(fields);
  view.worlds.fill(kNoCount);
  const auto worlds = WorldStringTable();
  for (std::size_t i = 0; i < kViewWorldCount && i < worlds.size(); ++i) {
    view.worlds[i] = CountOf(fields.TextOf(worlds[i].fieldName));
  }
  return view;
}

}  // namespace dorvex
