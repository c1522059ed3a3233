#pragma once
// Shared pieces of the live capture tests: the root check and waiting on the main thread's events.

#include <chrono>
#include <functional>

namespace dorvex::test {

// Live capture needs root (or cap_net_raw + cap_net_admin); the tests skip with this reason else.
bool CanCapture();
inline constexpr const char* kNeedsRoot =
    "live capture needs root (or cap_net_raw,cap_net_admin on the test binary)";

// Processes the main thread's events until `done` holds or `timeout` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));
// Processes the main thread's events for `duration`.
void PumpFor(std::chrono::milliseconds duration);

}  // namespace dorvex::test
