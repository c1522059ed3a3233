#pragma once
// Median and maximum of a series of measurements, printed as one line.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace dorvex::bench {

// Prints the figures of `values`. False, saying why, when there are none or one is not a positive
// finite number: a measurement that failed, which the caller's exit status must report.
[[nodiscard]] inline bool PrintFigures(const char* what, const char* unit,
                                       std::vector<double> values) {
  if (values.empty()) {
    std::printf("%s: no measurements\n", what);
    return false;
  }
  const auto bad = std::find_if(values.begin(), values.end(),
                                [](double value) { return !std::isfinite(value) || value <= 0; });
  if (bad != values.end()) {
    std::printf("%s: measurement %td is %g %s, not a positive finite figure\n", what,
                bad - values.begin() + 1, *bad, unit);
    return false;
  }
  std::sort(values.begin(), values.end());
  const double median = values[values.size() / 2];
  std::printf("%-34s median %8.2f %s   max %8.2f %s   (%zu runs)\n", what, median, unit,
              values.back(), unit, values.size());
  return true;
}

}  // namespace dorvex::bench
