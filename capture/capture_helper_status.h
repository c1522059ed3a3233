#pragma once
// Exit statuses of the capture helper dorvex-capture, shared by the helper and the capture
// component that runs it, which keeps the status of a failed capture as a value (LastFailure), so
// a status never changes meaning. Every status but kExitOk comes with one line on stderr,
// "dorvex-capture: ...", except kExitUsage when stdout or stderr was not open at all.

namespace dorvex::capture_helper {

// Unscoped, so that the helper returns a status from main as its exit status.
enum Status : int {
  // Stopped as asked: SIGTERM or SIGINT, the parent died, or the reader closed the pipe.
  kExitOk = 0,
  // The command line was refused, or stdout or stderr was not open.
  kExitUsage = 2,
  // The adapter is not one that libpcap lists.
  kExitNoSuchAdapter = 3,
  // The process lacks the right to capture (cap_net_raw), or to use promiscuous mode.
  kExitPermission = 4,
  // The filter does not compile, or the adapter does not take it.
  kExitBadFilter = 5,
  // Reading packets from the adapter, or writing them to stdout, failed.
  kExitReadError = 6,
  // The adapter cannot be opened for capture for any other reason.
  kExitCannotOpen = 7,
  // The process could not give up its capabilities or secure itself; it captures nothing then.
  kExitCannotDropPrivileges = 8,
};

}  // namespace dorvex::capture_helper
