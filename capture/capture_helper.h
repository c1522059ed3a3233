#pragma once
// The capture helper dorvex-capture as a child process. The helper alone holds cap_net_raw: it
// opens the live adapter, drops its rights and streams the game's traffic (capture/game_traffic.h)
// as a pcap file on its stdout, which this side reads as a libpcap handle. The program itself holds
// no capability.

#include <pcap/pcap.h>
#include <sys/types.h>

#include <QByteArray>
#include <QString>

#include "capture/capture_helper_status.h"
#include "capture/capture_request.h"

namespace dorvex {

// Where the helper is: beside the running program, else in the helper folder of the program's
// prefix (../libexec/dorvex), else, for a program run from its build tree, where that build made
// it. Only a helper that may be trusted (capture/trusted_program.h) and run counts.
struct HelperLocation {
  QString path;     // empty when no place holds a usable helper
  QString problem;  // then why not, as a whole sentence
};
HelperLocation FindCaptureHelper();

class CaptureHelper {
 public:
  CaptureHelper() = default;
  ~CaptureHelper();  // ends the helper
  CaptureHelper(const CaptureHelper&) = delete;
  CaptureHelper& operator=(const CaptureHelper&) = delete;

  // Starts the helper and waits, for a few seconds at most, for its stream to begin. Returns a
  // handle on the stream (the caller closes it), or null with the capture's failure text in
  // `error`: the library's reason as an in-process open would give it, or why the helper could
  // not run.
  pcap_t* Start(const HelperRequest& request, QString& error);

  // Asks the helper to stop (SIGTERM): its stream ends, which wakes a blocked read. Any thread.
  void Stop() const;

  // Waits until the helper has ended (it is killed if it does not end within a bound). Returns
  // its failure text when it ended on a failure of its own, empty when it stopped as asked.
  QString Finish();

  // The exit status of the helper that ended last; kExitOk also when it was ended by a signal or
  // could not be run.
  capture_helper::Status ExitStatus() const { return exitStatus_; }

 private:
  // The helper's exit status (or the signal that ended it) as a failure text.
  QString FailureText(int waitStatus);
  QByteArray ReadErrorLine();

  pid_t pid_ = -1;
  capture_helper::Status exitStatus_ = capture_helper::kExitOk;
  int errorFd_ = -1;  // read end of the helper's stderr
  QByteArray adapter_;
};

}  // namespace dorvex
