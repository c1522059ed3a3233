#include "count_text.h"

#include <gtest/gtest.h>

#include <QString>
#include <optional>

namespace dorvex {
namespace {

struct TextCase {
  const char16_t* text;
  std::optional<std::int32_t> value;
};

void PrintTo(const TextCase& c, std::ostream* os) {
  *os << '"' << QString::fromUtf16(c.text).toStdString() << '"';
}

class ReadWholeNumberTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ReadWholeNumberTest, ReadsOrRejects) {
  const TextCase& c = GetParam();
  EXPECT_EQ(ReadWholeNumber(QStringView(c.text)), c.value);
  EXPECT_EQ(CountOf(QStringView(c.text)), c.value.value_or(-1));
}

INSTANTIATE_TEST_SUITE_P(Decimal, ReadWholeNumberTest,
                         ::testing::Values(TextCase{u"0", 0}, TextCase{u"007", 7},
                                           TextCase{u"1200", 1200}, TextCase{u"+5", 5},
                                           TextCase{u"-5", -5}, TextCase{u"-0", 0},
                                           TextCase{u"   12", 12}, TextCase{u" -12", -12},
                                           TextCase{u"2147483647", 2147483647},
                                           TextCase{u"-2147483648", -2147483647 - 1},
                                           TextCase{u"0000000000002147483647", 2147483647}));

INSTANTIATE_TEST_SUITE_P(Hexadecimal, ReadWholeNumberTest,
                         ::testing::Values(TextCase{u"$10", 16}, TextCase{u"x1f", 31},
                                           TextCase{u"X1F", 31}, TextCase{u"0x10", 16},
                                           TextCase{u"0XaB", 171},
                                           TextCase{u" $7FFFFFFF", 2147483647},
                                           TextCase{u"$80000000", -2147483647 - 1},
                                           TextCase{u"$FFFFFFFF", -1},
                                           TextCase{u"$000000000001", 1}, TextCase{u"+$10", 16},
                                           // A sign negates the 32-bit pattern.
                                           TextCase{u"-$10", -16}, TextCase{u"-$FFFFFFFF", 1},
                                           TextCase{u"-0x80000000", -2147483647 - 1}));

INSTANTIATE_TEST_SUITE_P(
    Rejected, ReadWholeNumberTest,
    ::testing::Values(TextCase{u"", std::nullopt}, TextCase{u"   ", std::nullopt},
                      TextCase{u"12 ", std::nullopt}, TextCase{u"\t12", std::nullopt},
                      TextCase{u"\u300012", std::nullopt}, TextCase{u"abc", std::nullopt},
                      TextCase{u"12a", std::nullopt}, TextCase{u"1 2", std::nullopt},
                      TextCase{u"+", std::nullopt}, TextCase{u"-", std::nullopt},
                      TextCase{u"+-5", std::nullopt}, TextCase{u"- 5", std::nullopt},
                      TextCase{u"2147483648", std::nullopt}, TextCase{u"-2147483649", std::nullopt},
                      TextCase{u"99999999999999999999", std::nullopt}, TextCase{u"$", std::nullopt},
                      TextCase{u"0x", std::nullopt}, TextCase{u"$100000000", std::nullopt},
                      TextCase{u"$FFFFFFFFF", std::nullopt}, TextCase{u"$1G", std::nullopt},
                      TextCase{u"00x10", std::nullopt}, TextCase{u"$ 1", std::nullopt},
                      TextCase{u"1.5", std::nullopt},
                      TextCase{u"\uFF11\uFF12", std::nullopt},  // full-width digits
                      TextCase{u"\u0661", std::nullopt}));      // Arabic-Indic digit one

}  // namespace
}  // namespace dorvex
