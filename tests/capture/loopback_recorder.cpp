#include "loopback_recorder.h"

#include <chrono>

namespace dorvex::test {

LoopbackRecorder::LoopbackRecorder(const std::string& path) {
  char errorBuffer[PCAP_ERRBUF_SIZE] = {};
  handle_ = pcap_create("lo", errorBuffer);
  if (!handle_) {
    error_ = errorBuffer;
    return;
  }
  pcap_set_snaplen(handle_, 65535);
  pcap_set_immediate_mode(handle_, 1);
  bpf_program program;
  if (pcap_activate(handle_) < 0 ||
      pcap_compile(handle_, &program, "tcp port 6900", 1, PCAP_NETMASK_UNKNOWN) < 0) {
    error_ = pcap_geterr(handle_);
    return;
  }
  const int set = pcap_setfilter(handle_, &program);
  pcap_freecode(&program);
  if (set < 0 || !(dumper_ = pcap_dump_open(handle_, path.c_str()))) {
    error_ = pcap_geterr(handle_);
    return;
  }
  thread_ = std::thread(
      [this] { pcap_loop(handle_, -1, pcap_dump, reinterpret_cast<u_char*>(dumper_)); });
}

LoopbackRecorder::~LoopbackRecorder() {
  Stop();
  if (handle_) pcap_close(handle_);
}

void LoopbackRecorder::Stop() {
  if (!thread_.joinable()) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  pcap_breakloop(handle_);
  thread_.join();
  pcap_dump_close(dumper_);
  dumper_ = nullptr;
}

}  // namespace dorvex::test
