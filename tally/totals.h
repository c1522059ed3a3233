#pragma once
// ShowCounts, CalcTotals and AddCount: count store -> count fields -> the ten totals.

#include <array>
#include <cstdint>
#include <initializer_list>

#include "tally/count_store.h"
#include "tally/field_access.h"

namespace dorvex {

// Summed in 64 bits so that hand-typed counts can never wrap a total.
struct Totals {
  std::array<std::int64_t, 4> group{};       // group totals 1..4
  std::array<std::int64_t, 5> generation{};  // generation totals 1..5
  std::int64_t grand = 0;
};

// Copies every store entry into its count field, or into the temp server row when the name has
// no count field.
void ShowCounts(const CountStore& store, FieldAccess& fields);

// Recomputes all ten totals from the count fields.
Totals CalcTotals(const FieldAccess& fields);

// Adds the count of `countText` to each of `totals` when it is above 0; null entries are skipped.
void AddCount(QStringView countText, std::initializer_list<std::int64_t*> totals);

}  // namespace dorvex
