#pragma once
// Runs dorvex-capture as a child process with its stdout and stderr on pipes, for the process
// tests. Waits are bounded, so that a helper that hangs fails a test instead of stalling it.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace dorvex::capture_helper {

class HelperProcess {
 public:
  // Runs `command` (program first, found on PATH). With `orphanable` it runs from an intermediate
  // child that only waits, so that KillParent can orphan it; this process then becomes a child
  // subreaper to collect it.
  explicit HelperProcess(const std::vector<std::string>& command, bool orphanable = false);
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;
  ~HelperProcess();  // kills and collects what still runs

  pid_t pid() const { return pid_; }
  int TakeOutput();          // the read end of stdout; the caller closes it
  std::string ReadErrors();  // all of stderr; call after the helper exited
  void KillParent();
  // The exit status, or 128 + the signal that ended it, or nullopt (and killed) when it did not
  // end within a generous bound.
  std::optional<int> WaitForExit();

 private:
  int out_ = -1;
  int err_ = -1;
  pid_t pid_ = -1;
  pid_t parent_ = -1;  // the intermediate child when orphanable
};

// True when `fd` has data or its end within a generous bound.
bool WaitReadable(int fd);

}  // namespace dorvex::capture_helper
