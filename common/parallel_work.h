#pragma once
// Independent pieces of work spread over the machine's cores: a year of history read in two
// halves, or the chart's lines made side by side, take about half the time on two cores.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace dorvex {

// The cores work can be spread over (at least 1).
inline std::size_t CoresForWork() {
  return std::max(1U, std::thread::hardware_concurrency());
}

// Runs work(i) for every i in [0, count), on this thread and on up to count - 1 others (no more
// than CoresForWork), and returns when every piece is done. The pieces must not throw.
template <typename Work>
void RunInParallel(std::size_t count, const Work& work) {
  const std::size_t threads = std::min(count, CoresForWork());
  std::atomic<std::size_t> next{0};
  const auto takePieces = [&] {
    for (std::size_t i = next++; i < count; i = next++) work(i);
  };
  std::vector<std::jthread> others;
  for (std::size_t t = 1; t < threads; ++t) others.emplace_back(takePieces);
  takePieces();
}

}  // namespace dorvex
