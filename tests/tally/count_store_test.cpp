#include "tally/count_store.h"

#include <gtest/gtest.h>

#include "tests/support/qstring_printer.h"

#include <algorithm>
#include <ios>
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

// A long stream of new names, names with a count field among them now and then, read at times
// and not at others: the entries are always those that arrived, in order, less the oldest names
// without a count field beyond the limit, and the names kept are still found.
TEST(CountStoreTest, AStreamOfNewNamesKeepsTheNewestInOrder) {
  const QString listed[] = {"verdandi", "magni", "surt", "thor", "loki"};
  CountStore store;
  std::vector<std::pair<QString, bool>> arrived;  // name, has a count field
  for (int i = 0; i < 20 * CountStore::kMaxUnlisted; ++i) {
    const bool withField = i % 97 == 5 && static_cast<std::size_t>(i / 97) < std::size(listed);
    const QString name = withField ? listed[i / 97] : QString("new%1").arg(i);
    store.SetCount(name, static_cast<std::uint16_t>(i));
    arrived.emplace_back(name, withField);
    int unlisted = 0;
    for (const auto& entry : arrived) unlisted += entry.second ? 0 : 1;
    if (unlisted > CountStore::kMaxUnlisted) {
      arrived.erase(std::find_if(arrived.begin(), arrived.end(),
                                 [](const auto& entry) { return !entry.second; }));
    }
    if (i % 7 != 0 && i % 61 != 0) continue;  // read at times only
    ASSERT_EQ(store.Count(), static_cast<int>(arrived.size())) << i;
    for (std::size_t k = 0; k < arrived.size(); ++k) {
      ASSERT_EQ(store.Name(static_cast<int>(k)), arrived[k].first) << i;
    }
  }
  const Entries before = EntriesOf(store);
  for (const auto& [name, withField] : arrived) store.SetCount(name.toUpper(), 1);
  EXPECT_EQ(store.Count(), static_cast<int>(before.size()));
}

// Names are keyed by case folding; ASCII, kana and ideographs (nearly every name) take a shortcut
// past Unicode's tables, which must fold each of them as Qt does.
TEST(CountStoreTest, CharactersThatFoldSimplyFoldAsQtFoldsThem) {
  int simple = 0;
  for (char32_t c = 0; c <= 0xFFFF; ++c) {
    const char16_t folded = FoldedSimply(static_cast<char16_t>(c));
    if (folded == 0) continue;
    ++simple;
    ASSERT_EQ(folded, QChar::toCaseFolded(c)) << std::hex << static_cast<unsigned>(c);
  }
  EXPECT_EQ(simple, 0x7F + (0x9FFF - 0x3040 + 1));
}

}  // namespace
}  // namespace dorvex
