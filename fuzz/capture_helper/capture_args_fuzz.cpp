// Fuzz target: arbitrary bytes, split on NUL, as dorvex-capture's arguments. Nothing may crash; an
// accepted command line holds only values in range, and a refusal gives a one-line reason.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/dorvex-capture/capture_args.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "capture args fuzz: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dorvex::capture_helper;
  std::vector<std::string> words = {"dorvex-capture"};
  if (size > 0) words.emplace_back();
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      words.emplace_back();
    } else {
      words.back() += static_cast<char>(data[i]);
    }
  }
  std::vector<const char*> argv;
  for (const std::string& word : words) argv.push_back(word.c_str());
  argv.push_back(nullptr);

  const CaptureArgsResult result = ParseCaptureArgs(static_cast<int>(words.size()), argv.data());
  if (!result.args) {
    Check(!result.error.empty() && result.error.find('\n') == std::string::npos,
          "a refusal without a one-line reason");
    return 0;
  }
  const CaptureArgs& args = *result.args;
  Check(!args.adapter.empty() && args.adapter.size() <= kMaxAdapterBytes, "adapter length");
  Check(args.snaplen >= 1 && args.snaplen <= kMaxSnaplen, "snaplen out of range");
  Check(args.timeoutMs >= 1 && args.timeoutMs <= kMaxTimeoutMs, "timeout out of range");
  Check(args.filter.size() <= kMaxFilterBytes &&
            args.filter.find_first_of("\r\n") == std::string::npos,
        "filter length or line break");
  return 0;
}
