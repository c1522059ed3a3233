#pragma once
// dorvex-capture's command line, checked without touching the system so that tests and the fuzz
// target can call it:
//   dorvex-capture --adapter NAME --promiscuous 0|1 --timeout MS [--immediate 0|1]
// Every option must be given exactly once, except --immediate (at most once, default 1), each as
// its own argument followed by its value; options may come in any order. There is no filter and
// no snapshot length to choose: the helper captures the game's traffic only
// (capture/game_traffic.h).

#include <cstddef>
#include <optional>
#include <string>

namespace dorvex::capture_helper {

inline constexpr std::size_t kMaxAdapterBytes = 255;
inline constexpr int kMaxTimeoutMs = 60000;

inline constexpr char kUsage[] =
    "usage: dorvex-capture --adapter NAME --promiscuous 0|1 --timeout MS [--immediate 0|1]";

struct CaptureArgs {
  std::string adapter;  // 1..kMaxAdapterBytes bytes, no control characters
  bool promiscuous = false;
  int timeoutMs = 0;  // read timeout, 1..kMaxTimeoutMs
  bool immediate = true;

  friend bool operator==(const CaptureArgs&, const CaptureArgs&) = default;
};

// The checked arguments, or no arguments and a one-line reason in `error`.
struct CaptureArgsResult {
  std::optional<CaptureArgs> args;
  std::string error;
};

// argv[0] is the program name; argv[1..argc-1] are checked. Numbers are ASCII decimal digits only
// (no sign, no spaces); flags are exactly "0" or "1". The reason never quotes a value, so that it
// stays one line whatever the arguments hold.
CaptureArgsResult ParseCaptureArgs(int argc, const char* const* argv);

}  // namespace dorvex::capture_helper
