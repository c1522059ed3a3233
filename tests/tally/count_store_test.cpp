#include "count_store.h"

#include <gtest/gtest.h>

#include "qstring_printer.h"

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

struct StoreCase {
  const char* what;
  Entries sets;      // Set calls in order
  Entries expected;  // entries afterwards
};

class CountStoreTest : public ::testing::TestWithParam<StoreCase> {};

TEST_P(CountStoreTest, KeepsFirstSpellingAndPosition) {
  CountStore store;
  for (const auto& [name, count] : GetParam().sets) store.Set(name, count);
  EXPECT_EQ(EntriesOf(store), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CountStoreTest,
    ::testing::Values(StoreCase{"LaterCaseUpdatesFirst",
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
                      StoreCase{"NonAsciiCaseIgnored",
                                {{"\u00C9ir", "1"}, {"\u00E9ir", "2"}},
                                {{"\u00C9ir", "2"}}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(CountStoreTest, StartsEmpty) {
  EXPECT_EQ(CountStore().Count(), 0);
}

}  // namespace
}  // namespace dorvex
