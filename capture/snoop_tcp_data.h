#pragma once
// TSnoopTCPData: the capture component that decodes every captured frame into its IPv4 and TCP
// headers and TCP payload and raises OnCaptureTCPData for a payload of at least one byte.

#include <cstdint>
#include <functional>

#include "capture/custom_snoop.h"
#include "capture/header_records.h"

namespace dorvex {

// EthernetHeader is null for a frame that is not Ethernet (Linux cooked, loopback, raw IP).
// The pointers are valid only until the handler returns; a handler that keeps bytes copies them.
using TOnCaptureTCPDataEvent = std::function<void(
    QObject* Sender, PPCAP_PKTHDR PacketHeader, PETHERNET_HDR EthernetHeader, PIP_HDR IPHeader,
    PTCP_HDR TCPHeader, const std::uint8_t* TCPData, std::int32_t TCPDataLength)>;

class TSnoopTCPData : public TCustomSnoop {
  Q_OBJECT

 public:
  // As TCustomSnoop, with Filter "tcp".
  explicit TSnoopTCPData(QObject* owner = nullptr, TMessageNotifier notifier = {});
  ~TSnoopTCPData() override;

  // Unassigned: no frame is decoded. Assign it while the component is closed.
  TOnCaptureTCPDataEvent OnCaptureTCPData;

 protected:
  void ProcessPacket() override;
};

}  // namespace dorvex
