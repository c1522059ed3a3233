#pragma once
// A live capture opened in this process through Npcap: the Windows counterpart of the capture
// helper (capture/capture_opener.h), with the same members. Npcap's driver decides who may capture.

#include <pcap/pcap.h>

#include <QString>
#include <atomic>

#include "capture/capture_helper_status.h"
#include "capture/capture_request.h"

namespace dorvex {

class NpcapCapture {
 public:
  NpcapCapture() = default;
  NpcapCapture(const NpcapCapture&) = delete;
  NpcapCapture& operator=(const NpcapCapture&) = delete;

  // Opens the adapter live, at the game's snapshot length, without a filter (the caller installs
  // its own). Returns the handle (the caller closes it), or null with the library's reason in
  // `error` and the kind of failure in ExitStatus.
  pcap_t* Start(const HelperRequest& request, QString& error);

  // Breaks off a read that waits on the capture. Any thread.
  void Stop() const;

  // Forgets the capture once the caller has closed it. Nothing ends here on a failure of its own:
  // always empty.
  QString Finish();

  // The kind of the last open's failure, in the capture helper's terms; kExitOk after a success.
  capture_helper::Status ExitStatus() const { return exitStatus_; }

 private:
  std::atomic<pcap_t*> handle_{nullptr};
  capture_helper::Status exitStatus_ = capture_helper::kExitOk;
};

}  // namespace dorvex
