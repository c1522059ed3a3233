#include "tally/count_text.h"

#include "common/whole_number.h"

namespace dorvex {

std::int32_t CountOf(QStringView text) {
  return ReadWholeNumber(text).value_or(kNotMeasured);
}

}  // namespace dorvex
