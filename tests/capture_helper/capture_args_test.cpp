// dorvex-capture's command line checker: one table of refused and accepted command lines.

#include "tools/dorvex-capture/capture_args.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace dorvex::capture_helper {
namespace {

using Args = std::vector<std::string>;

const Args kValid = {"--adapter", "eth0", "--promiscuous", "1", "--timeout", "1"};
const CaptureArgs kRead = {"eth0", true, 1, true};

// kValid with `option`'s value replaced by `value`, or without it (nullopt), then `more`.
Args With(const std::string& option, std::optional<std::string> value, const Args& more = {}) {
  Args args;
  for (std::size_t i = 0; i + 1 < kValid.size(); i += 2) {
    if (kValid[i] != option) args.insert(args.end(), {kValid[i], kValid[i + 1]});
    if (kValid[i] == option && value) args.insert(args.end(), {option, *value});
  }
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// No filter and no snapshot length can be chosen: the helper captures the game's traffic only.
TEST(CaptureArgs, RefusesOrReadsEachCommandLine) {
  const std::string longName(255, 'n');
  std::vector<std::pair<Args, std::optional<CaptureArgs>>> cases = {
      {kValid, kRead},
      {{"--timeout", "60000", "--immediate", "0", "--adapter", "lo", "--promiscuous", "0"},
       CaptureArgs{"lo", false, 60000, false}},
      {With("--adapter", longName, {"--immediate", "1"}), CaptureArgs{longName, true, 1, true}},
      {With("--adapter", "--timeout"), CaptureArgs{"--timeout", true, 1, true}},
      {{}, {}},
      {With("", {}, {"--filter", ""}), {}},
      {With("", {}, {"--filter", "tcp"}), {}},
      {With("", {}, {"--snaplen", "100"}), {}},
      {With("", {}, {"--immediate", "1", "--immediate", "1"}), {}},
      {With("", {}, {"--immediate"}), {}},
      {With("", {}, {"--immediate", "true"}), {}},
      {With("", {}, {"extra"}), {}},
      {{"--adapter=eth0", "--promiscuous", "0", "--timeout", "1"}, {}},
  };
  const std::vector<std::pair<std::string, std::vector<std::string>>> badValues = {
      {"--adapter", {"", std::string(256, 'a'), "eth0\n"}},
      {"--promiscuous", {"2", "01", ""}},
      {"--timeout",
       {"0", "60001", "4294967296", "18446744073709551617", "12a", "-1", "+1", "", " 1", "1 "}},
  };
  for (const auto& [option, values] : badValues) {
    cases.push_back({With(option, std::nullopt), {}});  // every option is needed
    for (const std::string& value : values) cases.push_back({With(option, value), {}});
  }
  for (const auto& [args, expected] : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    std::vector<const char*> argv = {"dorvex-capture"};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    const CaptureArgsResult result = ParseCaptureArgs(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(result.args, expected) << result.error;
    EXPECT_EQ(result.error.empty(), expected.has_value());
    EXPECT_EQ(result.error.find('\n'), std::string::npos);
  }
}

}  // namespace
}  // namespace dorvex::capture_helper
