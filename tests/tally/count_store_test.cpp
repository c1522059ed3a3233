#include "tally/count_store.h"

#include <gtest/gtest.h>

#include "tests/support/qstring_printer.h"

#include <utility>
#include <vector>

namespace dorvex {
namespace {

using Entries = std::vector<std::pair<QString, QString>>;

// Names are matched by case folding; an entry keeps its first spelling and position.
TEST(CountStoreTest, KeepsFirstSpellingAndPosition) {
  // Set(name, text) calls in order, entries afterwards.
  const std::pair<Entries, Entries> cases[] = {
      {{{"magni", "1"}, {"thor", "2"}, {"MAGNI", "3"}, {"", "4"}, {"tho", "5"}, {"", "6"}},
       {{"magni", "3"}, {"thor", "2"}, {"", "6"}, {"tho", "5"}}},
      // Only letters pair up: the ASCII bit trick would pair [ with { and @ with `.
      {{{"a[", "1"}, {"A{", "2"}, {"@b", "3"}, {"`B", "4"}},
       {{"a[", "1"}, {"A{", "2"}, {"@b", "3"}, {"`B", "4"}}},
      // The Kelvin sign U+212A folds to k.
      {{{"\u212Aaa", "1"}, {"\u00C9ir", "2"}, {"KAA", "3"}, {"\u00E9ir", "4"}},
       {{"\u212Aaa", "3"}, {"\u00C9ir", "4"}}},
  };
  for (const auto& [sets, expected] : cases) {
    CountStore store;
    for (const auto& [name, text] : sets) store.Set(name, text);
    Entries entries;
    for (int i = 0; i < store.Count(); ++i) entries.emplace_back(store.Name(i), store.CountText(i));
    EXPECT_EQ(entries, expected);
  }
}

// SetCount renders the number as text, also after Set replaced an equal number's text.
TEST(CountStoreTest, SetCountAfterSetRendersTheNumber) {
  CountStore store;
  store.Set(QStringLiteral("\u00C9ir"), QStringLiteral("x"));
  EXPECT_EQ(store.SetCount(QStringLiteral("thor"), 12), 1);
  store.Set(QStringLiteral("Thor"), QStringLiteral("012"));
  EXPECT_EQ(store.SetCount(QStringLiteral("THOR"), 12), 1);
  EXPECT_EQ(store.CountText(1), QStringLiteral("12"));
}

}  // namespace
}  // namespace dorvex
