#pragma once
// ShowCounts, CalcTotals and AddCount: count store -> count fields -> the ten totals.

#include <QStringView>
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

// The count field of the world named `name` ("edt" + name + "Qty", letter case of A-Z aside);
// kNoField when the name has none, and its count goes to the free row.
FieldAccess::Handle CountFieldOf(const FieldAccess& fields, QStringView name);

// Copies every store entry into its count field, or into the temp server row when the name has
// no count field.
void ShowCounts(const CountStore& store, FieldAccess& fields);

// Recomputes all ten totals from the count fields.
Totals CalcTotals(const FieldAccess& fields);

// Adds `count` to each of `totals` when it is above 0; null entries are skipped.
void AddCount(std::int32_t count, std::initializer_list<std::int64_t*> totals);

}  // namespace dorvex
