#include "tally/totals.h"

#include "tally/count_text.h"
#include "tally/world_table.h"

namespace dorvex {

void ShowCounts(const CountStore& store, FieldAccess& fields) {
  const FieldAccess::Handle tempName = fields.FindField(TempServerNameFieldString());
  const FieldAccess::Handle tempQty = fields.FindField(TempServerQtyFieldString());
  for (int i = 0; i < store.Count(); ++i) {
    const QString controlName = QStringLiteral("edt") + store.Name(i) + QStringLiteral("Qty");
    const FieldAccess::Handle field = fields.FindField(controlName);
    if (field != FieldAccess::kNoField) {
      fields.SetFieldText(field, store.CountText(i));
    } else {
      if (tempName != FieldAccess::kNoField) fields.SetFieldText(tempName, store.Name(i));
      if (tempQty != FieldAccess::kNoField) fields.SetFieldText(tempQty, store.CountText(i));
    }
  }
}

Totals CalcTotals(const FieldAccess& fields) {
  Totals totals;
  const auto worlds = WorldTable();
  const auto strings = WorldStringTable();
  for (std::size_t i = 0; i < worlds.size(); ++i) {
    const World& world = worlds[i];
    // Groups and generations count from 1 in the table; 0 has no total of its own.
    std::int64_t* group = world.group == kPvpGroup
                              ? nullptr
                              : &totals.group.at(static_cast<std::size_t>(world.group - 1));
    std::int64_t* generation =
        world.generation == kNoGeneration
            ? nullptr
            : &totals.generation.at(static_cast<std::size_t>(world.generation - 1));
    AddCount(fields.TextOf(strings[i].fieldName), {group, generation, &totals.grand});
  }
  if (!fields.TextOf(TempServerNameFieldString()).isEmpty()) {
    AddCount(fields.TextOf(TempServerQtyFieldString()),
             {&totals.group.at(kTempServerGroup - 1), &totals.grand});
  }
  return totals;
}

void AddCount(QStringView countText, std::initializer_list<std::int64_t*> totals) {
  const std::int32_t count = CountOf(countText);
  if (count <= 0) return;
  for (std::int64_t* total : totals) {
    if (total != nullptr) *total += count;
  }
}

}  // namespace dorvex
