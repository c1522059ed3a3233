#include "count_store.h"

#include <gtest/gtest.h>

#include "qstring_printer.h"

#include <cstdint>
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

// One call: Set(name, text), or SetCount(name, number) when number is not negative.
struct Step {
  QString name;
  QString text;
  int number = -1;
};

Step Number(const char* name, std::uint16_t number) {
  return {name, {}, number};
}

struct StoreCase {
  const char* what;
  std::vector<Step> sets;  // calls in order
  Entries expected;        // entries afterwards
};

class CountStoreTest : public ::testing::TestWithParam<StoreCase> {};

TEST_P(CountStoreTest, KeepsFirstSpellingAndPosition) {
  CountStore store;
  for (const Step& step : GetParam().sets) {
    if (step.number < 0) {
      store.Set(step.name, step.text);
      continue;
    }
    const int index = store.SetCount(step.name, static_cast<std::uint16_t>(step.number));
    ASSERT_LT(index, store.Count());
    EXPECT_EQ(QString::compare(store.Name(index), step.name, Qt::CaseInsensitive), 0);
  }
  EXPECT_EQ(EntriesOf(store), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CountStoreTest,
    ::testing::Values(
        StoreCase{"LaterCaseUpdatesFirst",
                  {{"verdandi", "10"}, {"Verdandi", "12"}},
                  {{"verdandi", "12"}}},
        StoreCase{"NewNamesAppend",
                  {{"magni", "1"}, {"chaos", "2"}, {"MAGNI", "3"}, {"thor", "4"}},
                  {{"magni", "3"}, {"chaos", "2"}, {"thor", "4"}}},
        StoreCase{"EmptyNameIsAnEntry",
                  {{"", "5"}, {"surt", "6"}, {"", "7"}},
                  {{"", "7"}, {"surt", "6"}}},
        StoreCase{"WholeNamesOnly",
                  {{"thor", "1"}, {"tho", "2"}, {"thor ", "3"}},
                  {{"thor", "1"}, {"tho", "2"}, {"thor ", "3"}}},
        StoreCase{
            "NonAsciiCaseIgnored", {{"\u00C9ir", "1"}, {"\u00E9ir", "2"}}, {{"\u00C9ir", "2"}}},
        // Case folding, not ASCII bit tricks: only A-Z pair with a-z.
        StoreCase{"AsciiPunctuationKeepsItsCase",
                  {{"a[", "1"}, {"A{", "2"}, {"@b", "3"}, {"`B", "4"}},
                  {{"a[", "1"}, {"A{", "2"}, {"@b", "3"}, {"`B", "4"}}},
        // The Kelvin sign U+212A folds to k, both ways round.
        StoreCase{"StoredKelvinSignMatchesAsciiName",
                  {{"\u212Aaa", "1"}, {"x", "2"}, {"KAA", "3"}},
                  {{"\u212Aaa", "3"}, {"x", "2"}}},
        StoreCase{"AsciiNameMatchesKelvinSign", {{"kaa", "1"}, {"\u212AAA", "2"}}, {{"kaa", "2"}}},
        StoreCase{"NumbersAsDecimalText",
                  {Number("thor", 65535), Number("loki", 0), Number("THOR", 7)},
                  {{"thor", "7"}, {"loki", "0"}}},
        StoreCase{"NumberAfterTextOfSameValue",
                  {Number("thor", 12), {"Thor", "012"}, Number("thor", 12)},
                  {{"thor", "12"}}},
        StoreCase{
            "NumberReplacesText", {{"\u00C9ir", "x"}, Number("\u00E9ir", 5)}, {{"\u00C9ir", "5"}}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(CountStoreTest, StartsEmpty) {
  EXPECT_EQ(CountStore().Count(), 0);
}

}  // namespace
}  // namespace dorvex
