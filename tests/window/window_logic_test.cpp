// The window's logic without a window: the capture status text and the run counter's next value.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>

#include "settings/app_settings.h"
#include "window/capture_status.h"

namespace dorvex {
namespace {

TEST(CaptureStatusTest, SaysWhatIsCapturedOrWhyNot) {
  const char* const hint =
      "Not capturing: no capture rights, see \"Capture rights\" in the README (";
  const std::pair<CaptureState, std::string> cases[] = {
      {{true, 3, "lo", "tcp port 6900", "Snoop Error: Already open"},
       "Capturing on lo (filter: tcp port 6900)"},
      {{false, 2, "eth0", "tcp port 6900", ""}, "Not capturing: the capture is closed"},
      // The helper's permission status gets the hint, whatever the library's text.
      {{false, 0, "lo", "tcp port 6900",
        "lo: You don't have permission to capture on that device (socket: Operation not "
        "permitted)",
        capture_helper::kExitPermission},
       hint + std::string("lo: You don't have permission to capture on that device (socket: "
                          "Operation not permitted))")},
      {{false, 0, "eth0", "tcp port 6900", "eth0: socket: Operation not permitted",
        capture_helper::kExitPermission},
       hint + std::string("eth0: socket: Operation not permitted)")}};
  for (const auto& [state, expected] : cases) {
    EXPECT_EQ(CaptureStatusText(state).toStdString(), expected);
  }
}

TEST(NextOpenCountTest, CountsOnAndWrapsInsteadOfOverflowing) {
  using Limits = std::numeric_limits<std::int32_t>;
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {0, 1},
      {1, 2},
      {41, 42},
      {-1, 0},
      {-5, -4},
      {Limits::max() - 1, Limits::max()},
      {Limits::max(), Limits::min()},
      {Limits::min(), Limits::min() + 1},
  };
  for (const auto& [count, next] : cases) {
    EXPECT_EQ(NextOpenCount(count), next) << "after " << count;
  }
}

}  // namespace
}  // namespace dorvex
