// Fuzz target: arbitrary bytes, split on NUL, as dorvex-capture's arguments. Nothing may crash; an
// accepted command line holds only values in range, and a refusal gives a one-line reason.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "tools/dorvex-capture/capture_args.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dorvex::capture_helper;
  std::vector<std::string> words = {"dorvex-capture"};
  if (size > 0) words.emplace_back();
  for (std::size_t i = 0; i < size; ++i) {
    data[i] == 0 ? words.emplace_back() : words.back() += static_cast<char>(data[i]);
  }
  std::vector<const char*> argv;
  for (const std::string& word : words) argv.push_back(word.c_str());
  argv.push_back(nullptr);

  const CaptureArgsResult result = ParseCaptureArgs(static_cast<int>(words.size()), argv.data());
  if (!result.args) {
    FuzzCheck(!result.error.empty() && result.error.find('\n') == std::string::npos,
              "a refusal without a one-line reason");
    return 0;
  }
  const CaptureArgs& args = *result.args;
  FuzzCheck(!args.adapter.empty() && args.adapter.size() <= kMaxAdapterBytes, "adapter length");
  FuzzCheck(args.timeoutMs >= 1 && args.timeoutMs <= kMaxTimeoutMs, "timeout out of range");
  return 0;
}
