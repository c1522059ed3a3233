#include "window/history/count_scale.h"

#include <algorithm>
#include <cmath>

namespace dorvex {

CountScale RoundCountScale(double highest, int maxSteps) {
  const double reach = std::max(highest, 1.0);
  const double steps = std::max(maxSteps, 1);
  double power = 1;
  while (true) {
    for (const double factor : {1.0, 2.0, 5.0}) {
      const double step = factor * power;
      const double count = std::ceil(reach / step);
      if (count <= steps) return {count * step, step};
    }
    power *= 10;
  }
}

}  // namespace dorvex
