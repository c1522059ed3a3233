#include "tally/shown_text.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace dorvex {
namespace {

// What IsKanaOrIdeograph lets ShownText and case folding pass: none of these characters is a
// control, format or separator character, and none folds to another.
TEST(ShownTextTest, KanaAndIdeographsNeitherReplacedNorFolded) {
  for (char32_t c = 0x3040; c <= 0x9FFF; ++c) {
    ASSERT_TRUE(IsKanaOrIdeograph(static_cast<char16_t>(c)));
    const QChar::Category category = QChar::category(c);
    EXPECT_TRUE(category != QChar::Other_Control && category != QChar::Other_Format &&
                category != QChar::Separator_Line && category != QChar::Separator_Paragraph)
        << std::hex << static_cast<std::uint32_t>(c);
    EXPECT_EQ(QChar::toCaseFolded(c), c) << std::hex << static_cast<std::uint32_t>(c);
  }
}

}  // namespace
}  // namespace dorvex
