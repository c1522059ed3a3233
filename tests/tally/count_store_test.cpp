#include "tally/count_store.h"

#include <gtest/gtest.h>

#include "tests/support/qstring_printer.h"

#include <utility>
#include <vector>

namespace dorvex {
namespace {

using Entries = std::vector<std::pair<QString, QString>>;

// Names are matched by case folding; an entry with a count field keeps its first spelling and
// position; of the names without one, only the latest is kept, after them.
TEST(CountStoreTest, KeepsListedNamesAndTheLatestOtherName) {
  // Set(name, text) calls in order, entries afterwards.
  const std::pair<Entries, Entries> cases[] = {
      {{{"magni", "1"}, {"", "4"}, {"thor", "2"}, {"MAGNI", "3"}, {"tho", "5"}, {"", "6"}},
       {{"magni", "3"}, {"thor", "2"}, {"", "6"}}},
      // Only letters pair up: the ASCII bit trick would pair [ with { and @ with `.
      {{{"a[", "1"}, {"A{", "2"}}, {{"A{", "2"}}},
      {{{"a[", "1"}, {"A[", "2"}}, {{"a[", "2"}}},
      // The Kelvin sign U+212A folds to k, É to é; TempServer has a count field of its own.
      {{{"lo\u212Ai", "1"}, {"\u00C9ir", "2"}, {"\u00E9IR", "3"}, {"tempserver", "4"}},
       {{"tempserver", "4"}, {"\u00C9ir", "3"}}},
      {{{"loki", "1"}, {"LO\u212AI", "2"}}, {{"loki", "2"}}},
  };
  for (const auto& [sets, expected] : cases) {
    CountStore store;
    for (const auto& [name, text] : sets) store.Set(name, text);
    Entries entries;
    for (int i = 0; i < store.Count(); ++i) entries.emplace_back(store.Name(i), store.CountText(i));
    EXPECT_EQ(entries, expected);
  }
}

// SetCount renders the number as text, also after Set replaced an equal number's text; a handle
// of the free row's name stops working once another name takes its place.
TEST(CountStoreTest, HandlesFollowTheirEntry) {
  CountStore store;
  store.Set(QStringLiteral("\u00C9ir"), QStringLiteral("x"));
  const CountStore::Handle thor = store.SetCount(QStringLiteral("thor"), 12);
  store.Set(QStringLiteral("Thor"), QStringLiteral("012"));
  EXPECT_EQ(store.SetCount(QStringLiteral("THOR"), 12), thor);
  EXPECT_EQ(store.CountText(0), QStringLiteral("12"));
  const CountStore::Handle other = store.SetCount(QStringLiteral("new"), 1);
  EXPECT_TRUE(store.SetCountAt(other, 2));
  EXPECT_EQ(store.CountText(1), QStringLiteral("2"));
  store.SetCount(QStringLiteral("newer"), 3);
  EXPECT_FALSE(store.SetCountAt(other, 4));
  EXPECT_TRUE(store.SetCountAt(thor, 5));
  EXPECT_EQ(store.Count(), 2);
  EXPECT_EQ(store.Name(1), QStringLiteral("newer"));
  EXPECT_THROW(store.Name(2), std::out_of_range);
}

}  // namespace
}  // namespace dorvex
