#pragma once
// Secures dorvex-capture before it reads its arguments, and lets SIGTERM and SIGINT stop it only
// while it waits for packets, so that they never cut a record short.

#include <poll.h>

namespace dorvex::capture_helper {

enum class GuardResult {
  kReady,
  kParentGone,  // the parent died before the death signal was set up: stop at once
  kFailed,      // errno tells why
};

// Empties the environment, ignores SIGPIPE (write errors are handled), blocks SIGTERM and SIGINT
// and gives them a handler that only records the request, asks for SIGTERM when the parent dies,
// and sets no_new_privs.
GuardResult GuardProcess();

// poll(2) over `fds` for at most `timeoutMs`, with SIGTERM and SIGINT let through for the wait
// only. Returns -1 with errno EINTR when a stop was asked for, now or before; 0 when another
// signal broke the wait.
int WaitForEvents(pollfd* fds, nfds_t count, int timeoutMs);

}  // namespace dorvex::capture_helper
