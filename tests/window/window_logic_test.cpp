// The window's logic without a window: the capture status text and the run counter's wrap. (The
// settings, the adapter list and the counter's normal step are tested with the real window.)

#include <gtest/gtest.h>

#include <climits>

#include "app_settings.h"
#include "capture_status.h"

namespace dorvex {
namespace {

struct StatusCase {
  CaptureState state;
  const char* expected;
};
void PrintTo(const StatusCase& c, std::ostream* out) {
  *out << c.expected;
}

class CaptureStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(CaptureStatusTest, SaysWhatIsCapturedOrWhyNot) {
  EXPECT_EQ(CaptureStatusText(GetParam().state).toStdString(), GetParam().expected);
}

const char kDenied[] =
    "lo: You don't have permission to capture on that device (socket: Operation not permitted)";

INSTANTIATE_TEST_SUITE_P(
    States, CaptureStatusTest,
    ::testing::Values(
        StatusCase{{true, 3, "lo", "tcp port 6900", "Snoop Error: Already open"},
                   "Capturing on lo (filter: tcp port 6900)"},
        StatusCase{{false, 2, "eth0", "tcp port 6900", ""}, "Not capturing: the capture is closed"},
        // Either form of the capture library's permission error gets the hint.
        StatusCase{{false, 0, "lo", "tcp port 6900", kDenied},
                   "Not capturing: no capture rights, see \"Capture rights\" in the README (lo: "
                   "You don't have permission to capture on that device (socket: Operation not "
                   "permitted))"},
        StatusCase{{false, 0, "eth0", "tcp port 6900", "eth0: socket: Operation not permitted"},
                   "Not capturing: no capture rights, see \"Capture rights\" in the README (eth0: "
                   "socket: Operation not permitted)"}));

TEST(NextOpenCountTest, CountsOnAndWrapsInsteadOfOverflowing) {
  EXPECT_EQ(NextOpenCount(INT_MAX), INT_MIN);
}

}  // namespace
}  // namespace dorvex
