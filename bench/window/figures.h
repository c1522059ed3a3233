#pragma once
// Median and maximum of a series of measurements, printed as one line.

#include <algorithm>
#include <cstdio>
#include <vector>

namespace dorvex::bench {

inline void PrintFigures(const char* what, const char* unit, std::vector<double> values) {
  if (values.empty()) {
    std::printf("%s: no measurements\n", what);
    return;
  }
  std::sort(values.begin(), values.end());
  const double median = values[values.size() / 2];
  std::printf("%-34s median %8.2f %s   max %8.2f %s   (%zu runs)\n", what, median, unit,
              values.back(), unit, values.size());
}

}  // namespace dorvex::bench
