// dorvex-capture as a program: exit statuses and their lines, its stream's file header, every way
// it stops, and its rights. What it streams is checked through the capture component
// (tests/capture). Capturing needs root; those tests are skipped otherwise.

#include <pcap/pcap.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "capture/capture_helper_status.h"
#include "tests/capture_helper/helper_process.h"
#include "tests/support/live_test_support.h"

namespace dorvex::capture_helper {
namespace {

constexpr int kSnaplen = 65535;

std::vector<std::string> Command(const std::string& adapter, const std::string& filter,
                                 const std::string& program = DORVEX_CAPTURE_PROGRAM) {
  return {program,     "--adapter", adapter,    "--snaplen", std::to_string(kSnaplen),
          "--timeout", "100",       "--filter", filter,      "--promiscuous",
          "0"};
}

using Reader = std::unique_ptr<pcap_t, decltype(&pcap_close)>;

// libpcap's reader on the helper's stdout, after checking the file header: host byte order,
// version 2.4, the snaplen, Ethernet framing (loopback's). Unbuffered, so that poll(2) on the pipe
// tells whether a record waits.
Reader OpenStream(HelperProcess& helper) {
  FILE* file = fdopen(helper.TakeOutput(), "rb");
  setvbuf(file, nullptr, _IONBF, 0);
  char error[PCAP_ERRBUF_SIZE] = "";
  Reader reader(WaitReadable(fileno(file)) ? pcap_fopen_offline(file, error) : nullptr, pcap_close);
  if (!reader) {
    fclose(file);
    ADD_FAILURE() << "no pcap stream: " << error;
    return reader;
  }
  EXPECT_EQ(pcap_is_swapped(reader.get()), 0);
  EXPECT_EQ(pcap_major_version(reader.get()) * 10 + pcap_minor_version(reader.get()), 24);
  EXPECT_EQ(pcap_snapshot(reader.get()), kSnaplen);
  EXPECT_EQ(pcap_datalink(reader.get()), DLT_EN10MB);
  return reader;
}

TEST(CaptureHelperProcess, RefusalsExitWithTheirStatusAndOneLine) {
  const struct {
    std::vector<std::string> command;
    bool needsRoot;
    int status;
    std::string linePrefix;
  } cases[] = {
      {{DORVEX_CAPTURE_PROGRAM}, false, kExitUsage, "dorvex-capture: --adapter is missing (usage"},
      {{DORVEX_CAPTURE_PROGRAM, "--adapter", "lo", "--verbose", "1"},
       false,
       kExitUsage,
       "dorvex-capture: argument 3 is not one of the options (usage"},
      {Command("dorvex-none0", ""), false, kExitNoSuchAdapter,
       "dorvex-capture: dorvex-none0: no such capture adapter\n"},
      {Command("lo", "tcp port nonsense"), true, kExitBadFilter,
       "dorvex-capture: lo: filter 'tcp port nonsense': "},
  };
  for (const auto& [command, needsRoot, status, linePrefix] : cases) {
    SCOPED_TRACE(::testing::PrintToString(command));
    if (needsRoot && !test::CanCapture()) continue;
    HelperProcess helper(command);
    EXPECT_EQ(helper.WaitForExit(), status);
    const std::string errors = helper.ReadErrors();
    EXPECT_EQ(errors.rfind(linePrefix, 0), 0u) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(errors.back(), '\n');
  }
}

TEST(CaptureHelperProcess, StopsOnSignalsReaderGoneAndParentDeath) {
  if (!test::CanCapture()) GTEST_SKIP() << test::kNeedsRoot;
  enum Stop { kSigterm, kSigint, kReaderCloses, kParentDies };
  for (const Stop stop : {kSigterm, kSigint, kReaderCloses, kParentDies}) {
    SCOPED_TRACE(stop);
    // "less 1" takes no frame: nothing is written, so only the stop itself can end the helper.
    HelperProcess helper(Command("lo", "less 1"), stop == kParentDies);
    ASSERT_GT(helper.pid(), 0);
    Reader reader = OpenStream(helper);
    if (stop == kSigterm || stop == kSigint)
      kill(helper.pid(), stop == kSigterm ? SIGTERM : SIGINT);
    if (stop == kReaderCloses) reader.reset();
    if (stop == kParentDies) helper.KillParent();
    EXPECT_EQ(helper.WaitForExit(), kExitOk);
    EXPECT_EQ(helper.ReadErrors(), "");
  }
}

// The `name` line of /proc/<pid>/status.
std::string StatusLine(pid_t pid, const std::string& name) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line) && line.rfind(name + ":\t", 0) != 0) {
  }
  return line;
}

// A copy of the helper with the capability, in a folder of its own under /tmp, run as nobody.
TEST(CaptureHelperProcess, AsNobodyWithFileCapabilityCapturesAndDropsIt) {
  if (!test::CanCapture() || access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "root, setpriv";
  char folder[] = "/tmp/dorvex-capture-test-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::unique_ptr<char, void (*)(char*)> removal(folder, [](char* path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  });
  std::filesystem::permissions(folder, std::filesystem::perms(0755));
  const std::string program = std::string(folder) + "/dorvex-capture";
  std::filesystem::copy_file(DORVEX_CAPTURE_PROGRAM, program);
  HelperProcess setcap({"setcap", "cap_net_raw+ep", program});
  if (setcap.WaitForExit() != 0) GTEST_SKIP() << "setcap is missing or refused";
  std::vector<std::string> command = {"setpriv", "--reuid=nobody", "--regid=nogroup",
                                      "--clear-groups"};
  for (const std::string& word : Command("lo", "tcp port 6900", program)) command.push_back(word);
  HelperProcess helper(command);
  const Reader reader = OpenStream(helper);
  ASSERT_TRUE(reader);
  for (const std::string set : {"CapPrm", "CapEff", "CapAmb", "CapInh"}) {
    EXPECT_EQ(StatusLine(helper.pid(), set), set + ":\t0000000000000000");
  }
  EXPECT_EQ(StatusLine(helper.pid(), "NoNewPrivs"), "NoNewPrivs:\t1");
  kill(helper.pid(), SIGTERM);
  EXPECT_EQ(helper.WaitForExit(), kExitOk);
}

}  // namespace
}  // namespace dorvex::capture_helper
