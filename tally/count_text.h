#pragma once
// The rule by which a count field's text reads as a count.

#include <QStringView>
#include <cstdint>

namespace dorvex {

inline constexpr std::int32_t kNotMeasured = -1;

// A count field's count: its text read as a whole number (common/whole_number.h), -1 (not
// measured) when it does not read.
std::int32_t CountOf(QStringView text);

}  // namespace dorvex
