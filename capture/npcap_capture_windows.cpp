#include "capture/npcap_capture_windows.h"

#include "capture/capture_library.h"
#include "capture/game_traffic.h"

namespace dorvex {

pcap_t* NpcapCapture::Start(const HelperRequest& request, QString& error) {
  exitStatus_ = capture_helper::kExitOk;
  char errorText[PCAP_ERRBUF_SIZE] = "";
  pcap_t* handle = pcap_create(request.adapter.constData(), errorText);
  if (!handle) {
    exitStatus_ = capture_helper::kExitCannotOpen;
    error = QString::fromLocal8Bit(errorText);
    return nullptr;
  }
  int status = pcap_set_snaplen(handle, kGameSnapshotLength);
  if (status == 0) status = pcap_set_promisc(handle, request.promiscuous ? 1 : 0);
  if (status == 0) status = pcap_set_timeout(handle, request.readTimeOut);
  if (status == 0) status = pcap_set_immediate_mode(handle, 1);
  if (status == 0) status = pcap_activate(handle);  // a warning (> 0) still opens the capture
  if (status < 0) {
    const bool denied =
        status == PCAP_ERROR_PERM_DENIED || status == PCAP_ERROR_PROMISC_PERM_DENIED;
    exitStatus_ = status == PCAP_ERROR_NO_SUCH_DEVICE ? capture_helper::kExitNoSuchAdapter
                  : denied                            ? capture_helper::kExitPermission
                                                      : capture_helper::kExitCannotOpen;
    error = QString::fromLocal8Bit(ActivationFailureText(handle, status).c_str());
    pcap_close(handle);
    return nullptr;
  }
  handle_ = handle;
  return handle;
}

void NpcapCapture::Stop() const {
  if (pcap_t* handle = handle_) pcap_breakloop(handle);
}

QString NpcapCapture::Finish() {
  handle_ = nullptr;
  return {};
}

}  // namespace dorvex
