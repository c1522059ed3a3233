#include "tools/dorvex-capture/capture_args.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace dorvex::capture_helper {

namespace {

enum Option : std::size_t { kAdapter, kPromiscuous, kTimeout, kImmediate };
constexpr std::array<std::string_view, 4> kOptionNames = {"--adapter", "--promiscuous", "--timeout",
                                                          "--immediate"};

CaptureArgsResult Refuse(std::string reason) {
  return {std::nullopt, std::move(reason)};
}

// Decimal digits only, from `min` to `max`. Stops as soon as the value passes `max`, so that no
// input can overflow.
std::optional<int> ReadDecimal(std::string_view text, int min, int max) {
  if (text.empty()) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > max) return std::nullopt;
  }
  if (value < min) return std::nullopt;
  return value;
}

std::optional<bool> ReadFlag(std::string_view text) {
  if (text == "0") return false;
  if (text == "1") return true;
  return std::nullopt;
}

bool IsControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

}  // namespace

CaptureArgsResult ParseCaptureArgs(int argc, const char* const* argv) {
  std::array<std::optional<std::string_view>, kOptionNames.size()> values;
  for (int i = 1; i < argc; i += 2) {
    const std::string_view name = argv[i];
    const auto* found = std::find(kOptionNames.begin(), kOptionNames.end(), name);
    if (found == kOptionNames.end()) {
      return Refuse("argument " + std::to_string(i) + " is not one of the options");
    }
    auto& value = values[static_cast<std::size_t>(found - kOptionNames.begin())];
    if (value) return Refuse(std::string(name) + " is given more than once");
    if (i + 1 >= argc) return Refuse(std::string(name) + " needs a value");
    value = argv[i + 1];
  }
  for (const Option required : {kAdapter, kPromiscuous, kTimeout}) {
    if (!values[required]) return Refuse(std::string(kOptionNames[required]) + " is missing");
  }

  CaptureArgs args;
  const std::string_view adapter = *values[kAdapter];
  if (adapter.empty() || adapter.size() > kMaxAdapterBytes ||
      std::any_of(adapter.begin(), adapter.end(), IsControl)) {
    return Refuse("--adapter must be 1 to " + std::to_string(kMaxAdapterBytes) +
                  " bytes without control characters");
  }
  args.adapter = adapter;
  const auto timeout = ReadDecimal(*values[kTimeout], 1, kMaxTimeoutMs);
  if (!timeout) {
    return Refuse("--timeout must be a whole number from 1 to " + std::to_string(kMaxTimeoutMs));
  }
  args.timeoutMs = *timeout;
  const auto promiscuous = ReadFlag(*values[kPromiscuous]);
  if (!promiscuous) return Refuse("--promiscuous must be 0 or 1");
  args.promiscuous = *promiscuous;
  const auto immediate = ReadFlag(values[kImmediate].value_or("1"));
  if (!immediate) return Refuse("--immediate must be 0 or 1");
  args.immediate = *immediate;
  return {std::move(args), {}};
}

}  // namespace dorvex::capture_helper
