#include "tally/totals.h"

#include <QVarLengthArray>

#include "tally/field_counts.h"
#include "tally/world_table.h"

namespace dorvex {

FieldAccess::Handle CountFieldOf(const FieldAccess& fields, QStringView name) {
  // Built on the stack: every new name in a reply asks this once.
  QVarLengthArray<char16_t, 64> controlName;
  controlName.append(u"edt", 3);
  controlName.append(name.utf16(), name.size());
  controlName.append(u"Qty", 3);
  return fields.FindField(QStringView(controlName.data(), controlName.size()));
}

void ShowCounts(const CountStore& store, FieldAccess& fields) {
  const FieldAccess::Handle tempName = fields.FindField(TempServerNameFieldString());
  const FieldAccess::Handle tempQty = fields.FindField(TempServerQtyFieldString());
  for (int i = 0; i < store.Count(); ++i) {
    const FieldAccess::Handle field = CountFieldOf(fields, store.Name(i));
    if (field != FieldAccess::kNoField) {
      fields.SetFieldText(field, store.CountText(i));
    } else {
      if (tempName != FieldAccess::kNoField) fields.SetFieldText(tempName, store.Name(i));
      if (tempQty != FieldAccess::kNoField) fields.SetFieldText(tempQty, store.CountText(i));
    }
  }
}

Totals CalcTotals(const FieldAccess& fields) {
  return ReadFieldCounts(fields).totals;
}

void AddCount(std::int32_t count, std::initializer_list<std::int64_t*> totals) {
  if (count <= 0) return;
  for (std::int64_t* total : totals) {
    if (total != nullptr) *total += count;
  }
}

}  // namespace dorvex
