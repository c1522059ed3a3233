#pragma once
// Ends a fuzz run with a message when a property of the code under test does not hold.

#include <cstdio>
#include <cstdlib>

inline void FuzzCheck(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}
