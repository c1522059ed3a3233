// dorvex-capture: holds cap_net_raw so that the window program need not. It opens one live
// capture of the game's traffic, gives up every capability, and streams the game's segments
// (game_segments.h) as a pcap file on stdout to the program that started it, until SIGTERM or
// SIGINT, the parent's death, or the reader closing the pipe. It ignores its environment, opens no
// file and runs no other program.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "capture/capture_helper_status.h"
#include "capture/game_traffic.h"
#include "tools/dorvex-capture/capabilities.h"
#include "tools/dorvex-capture/capture_args.h"
#include "tools/dorvex-capture/capture_open.h"
#include "tools/dorvex-capture/game_segments.h"
#include "tools/dorvex-capture/pcap_stream.h"
#include "tools/dorvex-capture/process_guard.h"

namespace dorvex::capture_helper {

namespace {

int Fail(int exitStatus, const std::string& line) {
  std::fprintf(stderr, "dorvex-capture: %s\n", line.c_str());
  return exitStatus;
}

// What pcap_dispatch's callback needs; `writeError` is the errno of a failed write.
struct Forwarder {
  pcap_t* handle;
  int linkType;
  int writeError = 0;
  std::array<std::uint8_t, kGameSnapshotLength> scratch{};  // a client's segment, payload zeroed
};

void ForwardPacket(u_char* user, const pcap_pkthdr* header, const u_char* bytes) {
  auto& forwarder = *reinterpret_cast<Forwarder*>(user);
  if (forwarder.writeError != 0) return;
  const std::size_t captured = std::min<std::size_t>(header->caplen, kGameSnapshotLength);
  const std::span<const std::uint8_t> forwarded =
      GameSegmentBytes(forwarder.linkType, std::span(bytes, captured), forwarder.scratch);
  if (forwarded.empty()) return;
  forwarder.writeError = WritePcapRecord(STDOUT_FILENO, header->ts, header->len, forwarded);
  if (forwarder.writeError != 0) pcap_breakloop(forwarder.handle);
}

// Streams packets until a stop; returns the exit status.
int Forward(pcap_t* handle, int captureFd, const CaptureArgs& args) {
  Forwarder forwarder{handle, pcap_datalink(handle)};
  forwarder.writeError = WritePcapFileHeader(STDOUT_FILENO, kGameSnapshotLength,
                                             static_cast<std::uint32_t>(forwarder.linkType));
  // stdout is polled for no event: POLLERR or POLLHUP come when the reader closes the pipe.
  std::array<pollfd, 2> fds{{{captureFd, POLLIN, 0}, {STDOUT_FILENO, 0, 0}}};
  while (forwarder.writeError == 0) {
    if (WaitForEvents(fds.data(), fds.size(), args.timeoutMs) < 0) {
      if (errno == EINTR) return kExitOk;  // SIGTERM (also sent when the parent dies) or SIGINT
      return Fail(kExitReadError, args.adapter + ": read error: poll: " + std::strerror(errno));
    }
    if (fds[1].revents != 0) return kExitOk;
    if (pcap_dispatch(handle, -1, ForwardPacket, reinterpret_cast<u_char*>(&forwarder)) ==
        PCAP_ERROR) {
      return Fail(kExitReadError, args.adapter + ": read error: " + pcap_geterr(handle));
    }
  }
  if (forwarder.writeError == EPIPE) return kExitOk;
  return Fail(kExitReadError,
              args.adapter + ": write error: " + std::strerror(forwarder.writeError));
}

int Run(int argc, char** argv) {
  switch (GuardProcess()) {
    case GuardResult::kReady:
      break;
    case GuardResult::kParentGone:
      return kExitOk;
    case GuardResult::kFailed:
      return Fail(kExitCannotDropPrivileges,
                  std::string("cannot secure the process: ") + std::strerror(errno));
  }
  // A closed stdout or stderr would be taken by the capture's descriptor.
  if (fcntl(STDOUT_FILENO, F_GETFD) < 0 || fcntl(STDERR_FILENO, F_GETFD) < 0) return kExitUsage;

  const CaptureArgsResult parsed = ParseCaptureArgs(argc, argv);
  if (!parsed.args) return Fail(kExitUsage, parsed.error + " (" + kUsage + ")");
  const CaptureArgs& args = *parsed.args;

  const OpenedCapture capture = OpenCapture(args);
  if (!capture.handle) return Fail(capture.exitStatus, capture.error);
  if (!DropAllCapabilities()) {
    return Fail(kExitCannotDropPrivileges,
                args.adapter + ": cannot drop capabilities: " + std::strerror(errno));
  }
  return Forward(capture.handle.get(), capture.fd, args);
}

}  // namespace

}  // namespace dorvex::capture_helper

int main(int argc, char** argv) {
  return dorvex::capture_helper::Run(argc, argv);
}
