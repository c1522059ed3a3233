// dorvex-capture's command line checker: refused command lines and accepted ones read back.

#include "tools/dorvex-capture/capture_args.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dorvex::capture_helper {
namespace {

using Args = std::vector<std::string>;

const Args kValid = {"--adapter", "eth0",         "--promiscuous", "1",
                     "--snaplen", "262144",       "--timeout",     "1",
                     "--filter",  "tcp port 6900"};

CaptureArgsResult Parse(const Args& args) {
  std::vector<const char*> argv = {"dorvex-capture"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  return ParseCaptureArgs(static_cast<int>(argv.size()), argv.data());
}

// kValid with the value of `option` replaced.
Args With(const std::string& option, const std::string& value) {
  Args args = kValid;
  for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
    if (args[i] == option) args[i + 1] = value;
  }
  return args;
}

Args Without(const std::string& option) {
  Args args;
  for (std::size_t i = 0; i + 1 < kValid.size(); i += 2) {
    if (kValid[i] != option) args.insert(args.end(), {kValid[i], kValid[i + 1]});
  }
  return args;
}

Args Plus(Args args, const Args& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(CaptureArgs, RefusesBadCommandLines) {
  std::vector<Args> refused = {
      {},
      Plus(kValid, {"--snaplen", "100"}),
      Plus(kValid, {"--immediate", "1", "--immediate", "1"}),
      Plus(kValid, {"--verbose", "1"}),
      Plus(kValid, {"--immediate"}),
      Plus(kValid, {"extra"}),
      {"--adapter=eth0", "--snaplen", "1", "--promiscuous", "0", "--timeout", "1", "--filter", ""},
      With("--adapter", ""),
      With("--adapter", std::string(256, 'a')),
      With("--adapter", "eth0\n"),
      With("--filter", std::string(1025, 'a')),
      With("--filter", "tcp\nport 6900"),
      With("--filter", "tcp\rport 6900"),
      With("--promiscuous", "2"),
      With("--promiscuous", "01"),
      With("--promiscuous", ""),
      Plus(kValid, {"--immediate", "true"}),
  };
  for (const char* option : {"--adapter", "--snaplen", "--promiscuous", "--timeout", "--filter"}) {
    refused.push_back(Without(option));
  }
  for (const char* number :
       {"0", "262145", "4294967296", "18446744073709551617", "12a", "-1", "+1", "", " 1", "1 "}) {
    refused.push_back(With("--snaplen", number));
  }
  for (const char* number : {"0", "60001", "4294967296", "12a", "-1", "+1", ""}) {
    refused.push_back(With("--timeout", number));
  }
  for (const Args& args : refused) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const CaptureArgsResult result = Parse(args);
    EXPECT_FALSE(result.args.has_value());
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(result.error.find('\n'), std::string::npos);
  }
}

TEST(CaptureArgs, AcceptsValidCommandLines) {
  const std::string longName(255, 'n');
  const std::string longFilter(1024, ' ');
  const struct {
    Args args;
    CaptureArgs expected;
  } cases[] = {
      {kValid, {"eth0", 262144, true, 1, true, "tcp port 6900"}},
      {{"--filter", "", "--timeout", "60000", "--immediate", "0", "--snaplen", "1", "--adapter",
        "lo", "--promiscuous", "0"},
       {"lo", 1, false, 60000, false, ""}},
      {Plus(With("--adapter", longName), {"--immediate", "1"}),
       {longName, 262144, true, 1, true, "tcp port 6900"}},
      {With("--filter", longFilter), {"eth0", 262144, true, 1, true, longFilter}},
      {With("--snaplen", "0065535"), {"eth0", 65535, true, 1, true, "tcp port 6900"}},
      {With("--filter", "--adapter"), {"eth0", 262144, true, 1, true, "--adapter"}},
  };
  for (const auto& [args, expected] : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const CaptureArgsResult result = Parse(args);
    ASSERT_TRUE(result.args.has_value()) << result.error;
    EXPECT_TRUE(*result.args == expected);
  }
}

}  // namespace
}  // namespace dorvex::capture_helper
