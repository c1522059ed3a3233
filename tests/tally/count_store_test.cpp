#include "tally/count_store.h"

#include <gtest/gtest.h>

#include "tests/support/qstring_printer.h"

#include <utility>
#include <vector>

namespace dorvex {
namespace {

using Entries = std::vector<std::pair<QString, QString>>;

Entries EntriesOf(const CountStore& store) {
  Entries entries;
  for (int i = 0; i < store.Count(); ++i) entries.emplace_back(store.Name(i), store.CountText(i));
  return entries;
}

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
    EXPECT_EQ(EntriesOf(store), expected);
  }
}

// Of the names without a count field of their own, the oldest are given up beyond the limit (their
// handles stop working); names with a count field stay, and so does the last name.
TEST(CountStoreTest, GivesUpTheOldestNamesWithoutACountField) {
  CountStore store;
  const CountStore::Handle thor = store.SetCount(QStringLiteral("thor"), 12);
  const CountStore::Handle first = store.SetCount(QStringLiteral("new0"), 0);
  EXPECT_TRUE(store.SetCountAt(first, 1));
  for (int i = 1; i <= CountStore::kMaxUnlisted; ++i) store.SetCount(QString("new%1").arg(i), 0);
  EXPECT_FALSE(store.SetCountAt(first, 2));
  EXPECT_TRUE(store.SetCountAt(thor, 13));
  const Entries entries = EntriesOf(store);
  ASSERT_EQ(entries.size(), 1u + CountStore::kMaxUnlisted);
  EXPECT_EQ(entries.front(), std::pair(QString("thor"), QString("13")));
  EXPECT_EQ(entries[1].first, QString("new1"));
  EXPECT_EQ(entries.back().first, QString("new%1").arg(CountStore::kMaxUnlisted));
  // The names kept are still found after the others have been given up.
  for (const auto& [name, count] : entries) store.SetCount(name.toUpper(), 7);
  EXPECT_EQ(store.Count(), static_cast<int>(entries.size()));
}

}  // namespace
}  // namespace dorvex
