#include "tally/count_text.h"

#include <gtest/gtest.h>

#include <QString>
#include <optional>

#include "common/whole_number.h"

namespace dorvex {
namespace {

// A sign before a hex number negates its 32-bit pattern; full-width digits are no digits.
TEST(CountTextTest, ReadsDecimalOrHexWholeNumbersAndRejectsTheRest) {
  const std::pair<const char16_t*, std::int32_t> numbers[] = {
      {u"007", 7},        {u" -12", -12}, {u"2147483647", 2147483647}, {u"x1f", 31},
      {u"$FFFFFFFF", -1}, {u"-$10", -16}, {u"$000000000001", 1}};
  for (const auto& [text, value] : numbers) {
    EXPECT_EQ(ReadWholeNumber(QStringView(text)), value) << QString::fromUtf16(text).toStdString();
    EXPECT_EQ(CountOf(QStringView(text)), value);
  }
  for (const char16_t* text :
       {u"", u"12 ", u"12a", u"0x", u"2147483648", u"$100000000", u"\uFF11\uFF12"}) {
    EXPECT_EQ(ReadWholeNumber(QStringView(text)), std::nullopt)
        << QString::fromUtf16(text).toStdString();
    EXPECT_EQ(CountOf(QStringView(text)), -1);
  }
}

}  // namespace
}  // namespace dorvex
