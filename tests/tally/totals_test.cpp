#include "totals.h"

#include <gtest/gtest.h>

#include "qstring_printer.h"

#include <utility>
#include <vector>

#include "memory_fields.h"
#include "world_table.h"

namespace dorvex {
namespace {

using Texts = std::vector<std::pair<const char16_t*, const char*>>;  // control name, text

MemoryFieldSet FieldsWith(const Texts& texts) {
  MemoryFieldSet fields;
  for (const auto& [name, text] : texts) fields.SetText(name, QString::fromUtf8(text));
  return fields;
}

TEST(MemoryFieldSetTest, FindsFieldsIgnoringOnlyAsciiCase) {
  MemoryFieldSet fields;
  EXPECT_NE(fields.FindField(u"edttempservername"), FieldAccess::kNoField);
  EXPECT_EQ(fields.FindField(u"EDTVERDANDIQTY"), fields.FindField(u"edtVerdandiQty"));
  EXPECT_EQ(fields.FindField(u"edtVerdandi"), FieldAccess::kNoField);
  EXPECT_EQ(fields.FindField(u"edt\uFF56erdandiQty"), FieldAccess::kNoField);  // full-width v
  for (const World& world : WorldTable()) {
    EXPECT_NE(fields.FindField(ToQString(world.fieldName)), FieldAccess::kNoField) << world.name;
  }
}

struct ShowCase {
  const char* what;
  std::vector<std::pair<QString, QString>> entries;
  Texts before;
  Texts expected;  // fields checked afterwards
};

class ShowCountsTest : public ::testing::TestWithParam<ShowCase> {};

TEST_P(ShowCountsTest, FillsFieldsFromStore) {
  CountStore store;
  for (const auto& [name, count] : GetParam().entries) store.Set(name, count);
  MemoryFieldSet fields = FieldsWith(GetParam().before);
  ShowCounts(store, fields);
  for (const auto& [name, text] : GetParam().expected) {
    EXPECT_EQ(fields.TextOf(name), QString::fromUtf8(text))
        << QString::fromUtf16(name).toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShowCountsTest,
    ::testing::Values(
        // Dotted capital I is no A-Z letter: that name is unlisted. The last unlisted name wins.
        ShowCase{"ListedAnyCaseLastUnlistedToTempRow",
                 {{"verdandi", "1200"}, {"MAGNI", "800"}, {"\u0130dun", "2"}, {"beta", "5"}},
                 {{u"edtSurtQty", "typed"}},
                 {{u"edtVerdandiQty", "1200"},
                  {u"edtMagniQty", "800"},
                  {u"edtIdunQty", ""},
                  {u"edtSurtQty", "typed"},
                  {u"edtTempServerName", "beta"},
                  {u"edtTempServerQty", "5"}}},
        ShowCase{"EmptyNameEmptiesTempName",
                 {{"", "9"}},
                 {{u"edtTempServerName", "old"}},
                 {{u"edtTempServerName", ""}, {u"edtTempServerQty", "9"}}},
        ShowCase{"TempServerNameFindsQtyField",
                 {{"tempserver", "4"}},
                 {{u"edtTempServerName", "kept"}},
                 {{u"edtTempServerName", "kept"}, {u"edtTempServerQty", "4"}}}),
    [](const auto& info) { return std::string(info.param.what); });

struct TotalsCase {
  const char* what;
  Texts fields;
  Totals expected;
};

class CalcTotalsTest : public ::testing::TestWithParam<TotalsCase> {};

TEST_P(CalcTotalsTest, SumsPositiveCountsIntoTheirTotals) {
  const Totals totals = CalcTotals(FieldsWith(GetParam().fields));
  EXPECT_EQ(totals.group, GetParam().expected.group);
  EXPECT_EQ(totals.generation, GetParam().expected.generation);
  EXPECT_EQ(totals.grand, GetParam().expected.grand);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CalcTotalsTest,
    ::testing::Values(
        TotalsCase{"UrdrGrandOnly", {{u"edtUrdrQty", "300"}}, {{}, {}, 300}},
        TotalsCase{"NothingCounts",
                   {{u"edtTempServerName", ""},
                    {u"edtTempServerQty", "7"},
                    {u"edtSurtQty", "0"},
                    {u"edtGarmQty", "-1"},
                    {u"edtIdunQty", "abc"},
                    {u"edtEirQty", "12 "},
                    {u"edtBaldurQty", "$FFFFFFFF"}},
                   {}},
        TotalsCase{"TempRowSingleSpaceName",
                   {{u"edtTempServerName", " "}, {u"edtTempServerQty", "7"}},
                   {{7, 0, 0, 0}, {}, 7}},
        TotalsCase{"EveryGenerationMember",
                   {{u"edtIrisQty", "1"},
                    {u"edtLydiaQty", " $A"},
                    {u"edtOdinQty", "100"},
                    {u"edtHeimdalQty", "1000"},
                    {u"edtForsetyQty", "10000"}},
                   {{10000, 0, 0, 1111}, {1, 10, 100, 1000, 10000}, 11111}},
        // Hand-typed maxima must not wrap: 26 fields of 2147483647 would overflow 32 bits.
        TotalsCase{
            "NoWrapAt32Bits",
            {{u"edtMagniQty", "2147483647"},
             {u"edtSurtQty", "2147483647"},
             {u"edtForsetyQty", "2147483647"},
             {u"edtUrdrQty", "2147483647"},
             {u"edtTempServerName", "big"},
             {u"edtTempServerQty", "$7FFFFFFF"}},
            {{4LL * 2147483647, 0, 0, 0}, {0, 0, 0, 0, 3LL * 2147483647}, 5LL * 2147483647}}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace dorvex
