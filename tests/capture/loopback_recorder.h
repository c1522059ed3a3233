#pragma once
// Records the loopback adapter's port 6900 traffic into a pcap file with libpcap (pcap_dump), on
// a thread of its own, from construction until Stop.

#include <pcap/pcap.h>

#include <string>
#include <thread>

namespace dorvex::test {

class LoopbackRecorder {
 public:
  explicit LoopbackRecorder(const std::string& path);
  ~LoopbackRecorder();
  LoopbackRecorder(const LoopbackRecorder&) = delete;
  LoopbackRecorder& operator=(const LoopbackRecorder&) = delete;

  bool Recording() const { return dumper_ != nullptr; }
  const std::string& Error() const { return error_; }
  // Waits briefly for packets in flight, then ends the recording and closes the file.
  void Stop();

 private:
  pcap_t* handle_ = nullptr;
  pcap_dumper_t* dumper_ = nullptr;
  std::thread thread_;
  std::string error_;
};

}  // namespace dorvex::test
