#pragma once
// The count axes of the history chart: from 0 up in round steps.

namespace dorvex {

struct CountScale {
  double top = 1;   // the axis' highest count, a whole number of steps
  double step = 1;  // 1, 2 or 5 times a power of ten, at least 1
};

// The smallest round step with which at most `maxSteps` steps (at least one) reach `highest`.
CountScale RoundCountScale(double highest, int maxSteps);

}  // namespace dorvex
