#include "tally/cp932_text.h"

#include <gtest/gtest.h>

#include "tests/support/qstring_printer.h"

#include <algorithm>
#include <array>
#include <vector>

namespace dorvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

// DecodeShort gives Decode's text for every single byte and every lead byte with every second
// byte, alone and between ASCII and two-byte neighbours; it declines only texts with an ASCII
// control among other characters.
TEST(Cp932DecoderTest, DecodeShortGivesTheTextOfDecode) {
  Cp932Decoder decoder;
  const Bytes contexts[] = {{}, {'a'}, {0x83, 0x40}};
  for (int unit = 0x01; unit <= 0xFCFF; ++unit) {
    const int lead = unit >> 8;
    if (lead != 0 && !((lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0)) continue;
    if ((unit & 0xFF) == 0) continue;  // a name ends at its first zero byte
    for (const Bytes& before : contexts) {
      for (const Bytes& after : contexts) {
        Bytes text = before;
        if (lead != 0) text.push_back(static_cast<std::uint8_t>(lead));
        text.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        text.insert(text.end(), after.begin(), after.end());
        std::array<char16_t, 8> chars{};
        std::size_t length = 0;
        if (!decoder.DecodeShort(text.data(), text.size(), chars.data(), length)) {
          EXPECT_TRUE(std::any_of(text.begin(), text.end(),
                                  [](std::uint8_t b) { return b < 0x20 || b == 0x7F; }))
              << std::hex << unit;
          continue;
        }
        ASSERT_EQ(QStringView(chars.data(), static_cast<qsizetype>(length)).toString(),
                  decoder.Decode(text.data(), text.size()))
            << std::hex << unit;
      }
    }
  }
}

}  // namespace
}  // namespace dorvex
