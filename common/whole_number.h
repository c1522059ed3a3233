#pragma once
// The rule by which a count field's text and a settings file integer read as a 32-bit whole
// number.

#include <QStringView>
#include <cstdint>
#include <optional>

namespace dorvex {

// Leading ASCII spaces (only U+0020), an optional "+" or "-", then decimal digits, or hexadecimal
// digits after "$", "x", "X", "0x" or "0X" taken as a 32-bit pattern. Nothing may follow the
// digits. Decimal values must lie in the signed 32-bit range. nullopt when the text does not read.
std::optional<std::int32_t> ReadWholeNumber(QStringView text);

}  // namespace dorvex
