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
                         ::testing::Values(TextCase{u"007", 7}, TextCase{u"+5", 5},
                                           TextCase{u"-5", -5}, TextCase{u" -12", -12},
                                           TextCase{u"2147483647", 2147483647},
                                           TextCase{u"-2147483648", -2147483647 - 1}));

INSTANTIATE_TEST_SUITE_P(Hexadecimal, ReadWholeNumberTest,
                         ::testing::Values(TextCase{u"$10", 16}, TextCase{u"x1f", 31},
                                           TextCase{u"0XaB", 171},
                                           TextCase{u"$80000000", -2147483647 - 1},
                                           TextCase{u"$FFFFFFFF", -1},
                                           TextCase{u"$000000000001", 1},
                                           // A sign negates the 32-bit pattern.
                                           TextCase{u"-$10", -16}, TextCase{u"-$FFFFFFFF", 1}));

INSTANTIATE_TEST_SUITE_P(
    Rejected, ReadWholeNumberTest,
    ::testing::Values(TextCase{u"", std::nullopt}, TextCase{u"   ", std::nullopt},
                      TextCase{u"12 ", std::nullopt}, TextCase{u"\t12", std::nullopt},
                      TextCase{u"12a", std::nullopt}, TextCase{u"-", std::nullopt},
                      TextCase{u"+-5", std::nullopt}, TextCase{u"2147483648", std::nullopt},
                      TextCase{u"-2147483649", std::nullopt}, TextCase{u"0x", std::nullopt},
                      TextCase{u"99999999999999999999", std::nullopt},
                      TextCase{u"$100000000", std::nullopt}, TextCase{u"$1G", std::nullopt},
                      TextCase{u"00x10", std::nullopt},
                      TextCase{u"\uFF11\uFF12", std::nullopt}));  // full-width digits

}  // namespace
}  // namespace dorvex
