#include "tools/dorvex-capture/process_guard.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>

namespace dorvex::capture_helper {

namespace {

volatile std::sig_atomic_t stopRequested = 0;
sigset_t waitMask;  // the signal mask during WaitForEvents: SIGTERM and SIGINT let through

void OnStopSignal(int) {
  stopRequested = 1;
}

}  // namespace

GuardResult GuardProcess() {
  const pid_t parent = getppid();
  if (clearenv() != 0) return GuardResult::kFailed;

  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  if (sigprocmask(SIG_BLOCK, &stopSignals, &waitMask) != 0) return GuardResult::kFailed;
  sigdelset(&waitMask, SIGTERM);
  sigdelset(&waitMask, SIGINT);
  struct sigaction stop {};
  stop.sa_handler = OnStopSignal;
  sigemptyset(&stop.sa_mask);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  if (sigaction(SIGTERM, &stop, nullptr) != 0 || sigaction(SIGINT, &stop, nullptr) != 0 ||
      sigaction(SIGPIPE, &ignore, nullptr) != 0) {
    return GuardResult::kFailed;
  }

  // prctl reads its arguments as unsigned long: pass them so, the unused ones as zero.
  if (prctl(PR_SET_PDEATHSIG, static_cast<unsigned long>(SIGTERM), 0UL, 0UL, 0UL) != 0) {
    return GuardResult::kFailed;
  }
  if (getppid() != parent) return GuardResult::kParentGone;
  if (prctl(PR_SET_NO_NEW_PRIVS, 1UL, 0UL, 0UL, 0UL) != 0) return GuardResult::kFailed;
  return GuardResult::kReady;
}

int WaitForEvents(pollfd* fds, nfds_t count, int timeoutMs) {
  if (stopRequested == 0) {
    const timespec timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1'000'000L};
    const int ready = ppoll(fds, count, &timeout, &waitMask);
    if (ready >= 0 || errno != EINTR) return ready;
    if (stopRequested == 0) {  // another signal: report no events
      for (nfds_t i = 0; i < count; ++i) fds[i].revents = 0;
      return 0;
    }
  }
  errno = EINTR;
  return -1;
}

}  // namespace dorvex::capture_helper
