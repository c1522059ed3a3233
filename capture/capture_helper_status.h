#pragma once
// Exit statuses of the capture helper dorvex-capture, shared by the helper and the capture
// component that runs it and maps them to messages, so a status never changes meaning. Every status
// but 0 comes with one line on stderr, "dorvex-capture: ...", except kExitUsage when stdout or
// stderr was not open at all.

namespace dorvex::capture_helper {

// Stopped as asked: SIGTERM or SIGINT, the parent died, or the reader closed the pipe.
inline constexpr int kExitOk = 0;
// The command line was refused, or stdout or stderr was not open.
inline constexpr int kExitUsage = 2;
// The adapter is not one that libpcap lists.
inline constexpr int kExitNoSuchAdapter = 3;
// The process lacks the right to capture (cap_net_raw), or to use promiscuous mode.
inline constexpr int kExitPermission = 4;
// The filter does not compile, or the adapter does not take it.
inline constexpr int kExitBadFilter = 5;
// Reading packets from the adapter, or writing them to stdout, failed.
inline constexpr int kExitReadError = 6;
// The adapter cannot be opened for capture for any other reason.
inline constexpr int kExitCannotOpen = 7;
// The process could not give up its capabilities or secure itself; it captures nothing then.
inline constexpr int kExitCannotDropPrivileges = 8;

}  // namespace dorvex::capture_helper
