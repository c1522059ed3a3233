// dorvex-capture as a program: exit statuses and their lines, the stream of real loopback traffic
// read with libpcap as the capture component reads it, and every way it stops. Capturing needs
// root; those tests are skipped otherwise.

#include <arpa/inet.h>
#include <pcap/pcap.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tests/capture_helper/helper_process.h"
#include "capture/capture_helper_status.h"

namespace dorvex::capture_helper {
namespace {

constexpr int kSnaplen = 65535;

std::vector<std::string> Command(const std::string& adapter, const std::string& filter,
                                 const std::string& program = DORVEX_CAPTURE_PROGRAM) {
  return {program,     "--adapter", adapter,    "--snaplen", std::to_string(kSnaplen),
          "--timeout", "100",       "--filter", filter,      "--promiscuous",
          "0"};
}

bool IsRoot() {
  return geteuid() == 0;
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
    if (needsRoot && !IsRoot()) continue;
    HelperProcess helper(command);
    EXPECT_EQ(helper.WaitForExit(), status);
    const std::string errors = helper.ReadErrors();
    EXPECT_EQ(errors.rfind(linePrefix, 0), 0u) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(errors.back(), '\n');
  }
}

// Sends `payload` over a TCP connection to a listener of its own on 127.0.0.1:6900.
void SendOverPort6900(std::string_view payload) {
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(6900);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const auto* name = reinterpret_cast<const sockaddr*>(&address);
  EXPECT_EQ(bind(listener, name, sizeof address), 0) << std::strerror(errno);
  EXPECT_EQ(listen(listener, 1), 0);
  EXPECT_EQ(connect(client, name, sizeof address), 0) << std::strerror(errno);
  EXPECT_EQ(send(client, payload.data(), payload.size(), 0), std::ssize(payload));
  close(client);
  close(listener);
}

TEST(CaptureHelperProcess, StreamsLoopbackTrafficUntilTheReaderCloses) {
  if (!IsRoot()) GTEST_SKIP() << "capturing needs root";
  HelperProcess helper(Command("lo", "tcp port 6900"));
  Reader reader = OpenStream(helper);
  ASSERT_TRUE(reader);
  const std::string_view payload = "dorvex-capture probe \x01\x02\x03";
  SendOverPort6900(payload);
  bool found = false;
  pcap_pkthdr* header = nullptr;
  const u_char* bytes = nullptr;
  while (!found && WaitReadable(fileno(pcap_file(reader.get()))) &&
         pcap_next_ex(reader.get(), &header, &bytes) == 1) {
    EXPECT_LE(header->caplen, header->len);
    found = std::string_view(reinterpret_cast<const char*>(bytes), header->caplen).find(payload) !=
            std::string_view::npos;
  }
  EXPECT_TRUE(found) << "no record with the payload";
  reader.reset();
  EXPECT_EQ(helper.WaitForExit(), kExitOk);
}

TEST(CaptureHelperProcess, StopsOnSignalsReaderGoneAndParentDeath) {
  if (!IsRoot()) GTEST_SKIP() << "capturing needs root";
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

// A copy of the helper in a folder of its own under /tmp, run as nobody.
class CaptureHelperAsNobody : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!IsRoot() || access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "needs root, setpriv";
    char folder[] = "/tmp/dorvex-capture-test-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    std::filesystem::permissions(folder_, std::filesystem::perms(0755));
    std::filesystem::copy_file(DORVEX_CAPTURE_PROGRAM, program_ = folder_ / "dorvex-capture");
  }
  void TearDown() override {
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
  }
  std::vector<std::string> AsNobody() const {
    std::vector<std::string> command = {"setpriv", "--reuid=nobody", "--regid=nogroup",
                                        "--clear-groups"};
    for (const std::string& word : Command("lo", "tcp port 6900", program_)) {
      command.push_back(word);
    }
    return command;
  }

  std::filesystem::path folder_;
  std::filesystem::path program_;
};

TEST_F(CaptureHelperAsNobody, WithoutCapabilityExitsForPermission) {
  HelperProcess helper(AsNobody());
  EXPECT_EQ(helper.WaitForExit(), kExitPermission);
  std::string errors = helper.ReadErrors();
  EXPECT_EQ(errors.rfind("dorvex-capture: lo: ", 0), 0u) << errors;
  std::transform(errors.begin(), errors.end(), errors.begin(), ::tolower);
  EXPECT_NE(errors.find("permission"), std::string::npos) << errors;
}

// The `name` line of /proc/<pid>/status.
std::string StatusLine(pid_t pid, const std::string& name) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line) && line.rfind(name + ":\t", 0) != 0) {
  }
  return line;
}

TEST_F(CaptureHelperAsNobody, WithFileCapabilityCapturesAndDropsIt) {
  HelperProcess setcap({"setcap", "cap_net_raw+ep", program_});
  if (setcap.WaitForExit() != 0) GTEST_SKIP() << "setcap is missing or refused";
  HelperProcess helper(AsNobody());
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
