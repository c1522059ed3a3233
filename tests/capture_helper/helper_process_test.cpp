// dorvex-capture as a child process: refusals, its stream's header, every stop, its rights, and
// that it passes on the game's traffic only, with the client's payload zeroed.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <pcap/pcap.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "capture/capture_helper_status.h"
#include "capture/frame_decoder.h"
#include "capture/game_traffic.h"
#include "tests/support/live_test_support.h"

namespace dorvex::capture_helper {
namespace {

using Command = std::vector<std::string>;

Command Capture(const std::string& adapter, const std::string& program = DORVEX_CAPTURE_PROGRAM) {
  return {program, "--adapter", adapter, "--timeout", "100", "--promiscuous", "0"};
}

// `command` with stdout and stderr on pipes; an orphanable one runs under an intermediate child
// (`pid`) that only waits, so that killing it orphans the helper to this process (a subreaper).
struct Helper {
  int out[2], err[2];
  pid_t pid = -1;

  explicit Helper(const Command& command, bool orphanable = false) {
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) std::abort();
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    prctl(PR_SET_CHILD_SUBREAPER, 1UL, 0UL, 0UL, 0UL);
    if ((pid = fork()) == 0) {
      if (orphanable && fork() > 0) _exit(pause());
      dup2(out[1], STDOUT_FILENO);
      dup2(err[1], STDERR_FILENO);
      execvp(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    close(err[1]);
  }
  ~Helper() {
    if (pid > 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
    close(out[0]);
    close(err[0]);
  }
  // The exit status of this process's one child (128 + signal; -1: none within 10 s), stderr.
  std::pair<int, std::string> Wait() {
    int status = 0, waits = 0;
    pid_t ended = 0;
    while ((ended = waitpid(-1, &status, WNOHANG)) == 0 && ++waits < 1000) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (ended <= 0) return {-1, ""};
    pid = -1;
    std::string text(4096, '\0');
    text.resize(static_cast<std::size_t>(std::max<ssize_t>(read(err[0], text.data(), 4096), 0)));
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), text};
  }
};

std::string StatusLine(pid_t pid, const std::string& name) {  // in /proc/<pid>/status
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line) && line.rfind(name + ":\t", 0) != 0) {
  }
  return line;
}

// Refusals exit with their status and one line; a capture (nothing uses port 6900 meanwhile, so
// only the stop ends it) streams the header and ends on each stop with status 0 and nothing on
// stderr. As nobody, a copy with the file capability captures with no capability left and no way to
// gain one; without the capability it exits for permission (the nobody row of
// CliCaptureFailureTest).
TEST(CaptureHelperProcess, RefusalsEveryStopAndRightsAsNobody) {
  char folder[] = "/tmp/dorvex-capture-test-XXXXXX";  // the copy's own, open to nobody
  ASSERT_NE(mkdtemp(folder), nullptr);
  std::filesystem::permissions(folder, std::filesystem::perms(0755));
  const std::string copy = std::string(folder) + "/dorvex-capture";
  std::filesystem::copy_file(DORVEX_CAPTURE_PROGRAM, copy);
  const bool capped = test::CanCapture() && access("/usr/bin/setpriv", X_OK) == 0 &&
                      Helper({"setcap", "cap_net_raw+ep", copy}).Wait().first == 0;
  Command asNobody = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
  for (const std::string& word : Capture("lo", copy)) asNobody.push_back(word);
  enum Stop { kRefused, kSigterm, kSigint, kReaderCloses, kParentDies, kAsNobody };
  // Command, stop, exit status, the start of stderr ("": nothing).
  const std::tuple<Command, Stop, int, std::string> cases[] = {
      {{DORVEX_CAPTURE_PROGRAM}, kRefused, kExitUsage, "dorvex-capture: --adapter is missing ("},
      {Capture("dorvex-none0"), kRefused, kExitNoSuchAdapter,
       "dorvex-capture: dorvex-none0: no such capture adapter\n"},
      {Capture("lo"), kSigterm, kExitOk, ""},
      {Capture("lo"), kSigint, kExitOk, ""},
      {Capture("lo"), kReaderCloses, kExitOk, ""},
      {Capture("lo"), kParentDies, kExitOk, ""},
      {asNobody, kAsNobody, kExitOk, ""},  // stops on SIGTERM
  };
  for (const auto& [command, stop, expectedStatus, expectedErrors] : cases) {
    SCOPED_TRACE(::testing::PrintToString(command) + " stop " + std::to_string(stop));
    if ((stop != kRefused && !test::CanCapture()) || (stop == kAsNobody && !capped)) continue;
    Helper helper(command, stop == kParentDies);
    // The pcap file header: host byte order, version 2.4, the snaplen, Ethernet (lo's).
    std::uint32_t header[6] = {}, expected[6] = {0xa1b2c3d4, 2u | 4u << 16, 0, 0, 1600, 1};
    EXPECT_TRUE(stop == kRefused || (read(helper.out[0], header, sizeof header) == 24 &&
                                     std::equal(header, header + 6, expected)));
    for (const std::string set : {"CapPrm", "CapEff", "CapAmb", "CapInh", "NoNewPrivs"}) {
      const std::string line = set + ":\t" + (set == "NoNewPrivs" ? "1" : "0000000000000000");
      EXPECT_TRUE(stop != kAsNobody || StatusLine(helper.pid, set) == line) << line;
    }
    if (stop == kSigterm || stop == kAsNobody) kill(helper.pid, SIGTERM);
    if (stop == kSigint) kill(helper.pid, SIGINT);
    if (stop == kReaderCloses) close(std::exchange(helper.out[0], -1));
    if (stop == kParentDies && kill(helper.pid, SIGKILL) == 0) waitpid(helper.pid, nullptr, 0);
    const auto [status, errors] = helper.Wait();
    EXPECT_EQ(status, expectedStatus);
    EXPECT_EQ(errors.rfind(expectedErrors, 0), 0u) << errors;
    EXPECT_EQ(std::ranges::count(errors, '\n'), expectedErrors.empty() ? 0 : 1) << errors;
    EXPECT_TRUE(errors.empty() || errors.back() == '\n') << errors;
  }
  std::filesystem::remove_all(folder);
}

// On lo, with a login on port 6900 and the same bytes on port 6901: the stream holds the server's
// payload whole, the client's zeroed at its length, and nothing of port 6901.
TEST(CaptureHelperProcess, PassesOnTheGameTrafficOnlyWithTheClientsPayloadZeroed) {
  if (!test::CanCapture()) GTEST_SKIP() << test::kNeedsRoot;
  Helper helper(Capture("lo"));
  std::string stream(24, '\0');  // the file header: the capture is open
  ASSERT_EQ(read(helper.out[0], stream.data(), stream.size()), 24);
  const std::vector<std::uint8_t> login = {'p', 'a', 's', 's', '=', 's', 'e', 'c', 'r', 'e', 't'};
  const std::vector<std::uint8_t> reply = {0xd3, 0x0d, 'w', 'o', 'r', 'l', 'd', 's'};
  for (const std::uint16_t port : {std::uint16_t{6901}, kGameServerPort}) {
    test::LoopbackConnection connection(port);
    connection.ClientSends(login);
    connection.ServerSends(reply);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  kill(helper.pid, SIGTERM);
  EXPECT_EQ(helper.Wait().first, kExitOk);
  char buffer[4096];
  for (ssize_t got; (got = read(helper.out[0], buffer, sizeof buffer)) > 0;) {
    stream.append(buffer, static_cast<std::size_t>(got));
  }
  FILE* file = fmemopen(stream.data(), stream.size(), "rb");
  char error[PCAP_ERRBUF_SIZE];
  pcap_t* pcap = pcap_fopen_offline(file, error);
  ASSERT_NE(pcap, nullptr) << error;
  std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>> payloads;  // source port
  pcap_pkthdr* header = nullptr;
  const u_char* bytes = nullptr;
  while (pcap_next_ex(pcap, &header, &bytes) == 1) {
    const auto segment = DecodeTCPSegment(DLT_EN10MB, bytes, header->caplen);
    ASSERT_TRUE(segment) << "a frame without a payload was passed on";
    payloads.emplace_back(SourceOf(*segment).port,
                          std::vector(segment->TCPData, segment->TCPData + segment->TCPDataLength));
  }
  pcap_close(pcap);
  ASSERT_EQ(payloads.size(), 2u);
  EXPECT_NE(payloads[0].first, 6900);
  EXPECT_EQ(payloads[0].second, std::vector<std::uint8_t>(login.size(), 0));
  EXPECT_EQ(payloads[1], std::pair(std::uint16_t{6900}, reply));
}
}  // namespace
}  // namespace dorvex::capture_helper
