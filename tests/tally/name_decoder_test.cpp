#include "tally/name_decoder.h"

#include <gtest/gtest.h>

#include <vector>

#include "tally/cp932_text.h"
#include "tally/shown_text.h"
#include "tests/support/qstring_printer.h"

namespace dorvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The one-pass decoding gives the shown text of Decode and the name's FoldedKey, for every
// single byte and every lead byte with every second byte, alone and between ASCII, two-byte and
// control neighbours, and with the name ending at a zero byte or at the field's end.
TEST(NameDecoderTest, GivesTheShownTextOfDecodeAndItsKey) {
  NameDecoder names;
  Cp932Decoder reference;
  const Bytes contexts[] = {{}, {'A'}, {0x83, 0x40}, {0x1A}};
  for (int unit = 0x01; unit <= 0xFCFF; ++unit) {
    const int lead = unit >> 8;
    if (lead != 0 && !IsCp932LeadByte(static_cast<std::uint8_t>(lead))) continue;
    if ((unit & 0xFF) == 0) continue;  // a name ends at its first zero byte
    for (const Bytes& before : contexts) {
      for (const Bytes& after : contexts) {
        Bytes text = before;
        if (lead != 0) text.push_back(static_cast<std::uint8_t>(lead));
        text.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        text.insert(text.end(), after.begin(), after.end());
        const QString shown = ShownText(reference.Decode(text.data(), text.size()));
        for (const bool zeroEnded : {false, true}) {
          Bytes field = text;
          if (zeroEnded) field.insert(field.end(), {0, 'x', 0x83});
          const DecodedName decoded = names.Decode(field.data(), field.size());
          ASSERT_EQ(decoded.name.ToString(), shown) << std::hex << unit;
          ASSERT_EQ(decoded.key, FoldedKey(shown)) << std::hex << unit;
        }
      }
    }
  }
}

}  // namespace
}  // namespace dorvex
